#include "cli/convert_command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "conversion/messages.h"
#include "platform/xml_document.h"
#include "support/test_support.h"

namespace kovrel::cli {
namespace {

namespace fs = std::filesystem;
namespace messages = conversion::messages;
using kovrel::test::readBytes;
using kovrel::test::record;
using kovrel::test::writeBytes;
using ::testing::HasSubstr;
using Texts = std::vector<std::string>;

struct Result {
    int status = -1;
    std::string out, err;

    // Line n (from 0) of standard error; empty when there is none.
    std::string errLine(int n) const {
        std::istringstream lines(err);
        std::string line;
        for (int i = 0; i <= n; ++i)
            line = std::getline(lines, line) ? line : "";
        return line;
    }
};

Result convert(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = runConvert(args, out, err);
    return {status, out.str(), err.str()};
}

std::string example(const std::string& name) {
    return std::string(KOVREL_EXAMPLES) + "/" + name + "/beyan.txt";
}

Texts textsAt(const std::string& declaration, const std::string& xpath) {
    const auto document = platform::xml::Document::parse(declaration);
    Texts texts;
    for (const auto& node : document.selectNodes(document.root(), xpath))
        texts.push_back(node.text());
    return texts;
}

const Texts kIncomeBody{record({"1", "100", "500,00", "0"}), record({"3", "600", "0", "900,00"})};

// Each test has its own drive D: holding an ebyn folder, and a folder for info files.
class ConvertTest : public ::testing::Test {
  protected:
    void SetUp() override {
#ifdef _WIN32
        GTEST_SKIP() << "a Windows process keeps the drive letters it was started with";
#endif
        fs::create_directories(drive_.root() / "ebyn");
    }

    // An info file with the builder's header, whose declaration belongs in ownFile.
    std::string writeInfoFile(const Texts& body) {
        const fs::path file = infoFiles_.path() / ("beyan" + std::to_string(++count_) + ".txt");
        writeBytes(file, kovrel::test::infoFileText(kovrel::test::InfoHeader{}, body));
        return file.string();
    }

    kovrel::test::TempDrive drive_{"d"};
    kovrel::test::TempFolder infoFiles_;
    int count_ = 0;
    const fs::path beyannameler = drive_.root() / "ebyn" / "beyannameler";
    const fs::path ownFile = beyannameler / "1234567890" / "034260_1234567890_GELIR_10_2023.xml";
    const std::string gelir = example("gelir");
    const fs::path gelirFile =
        beyannameler / "12345678901" / "034250_12345678901_GELIR_10_2026.xml";
};

TEST_F(ConvertTest, HelpAndVersionExitWithZeroAndConvertNothing) {
    const auto help = convert({"--help", gelir});
    EXPECT_EQ(help.status, kSaved);
    EXPECT_THAT(help.out, ::testing::StartsWith("Usage: kovrel-convert"));
    const auto version = convert({"--version", gelir});
    EXPECT_EQ(version.status, kSaved);
    EXPECT_EQ(version.out, "kovrel-convert " KOVREL_VERSION "\n");
    EXPECT_EQ(help.err + version.err, "");
    EXPECT_FALSE(fs::exists(beyannameler));
}

TEST_F(ConvertTest, BadUsageExitsWithTwoNamesTheProblemAndWritesNothing) {
    const std::string kurumlar = example("kurumlar");
    const struct {
        Texts args;
        std::string named;
    } cases[] = {
        {{}, "no info file"},
        {{gelir, gelir}, "more than one info file"},
        {{"--bogus", gelir}, "--bogus"},
        {{gelir, "--drive"}, "--drive needs a value"},
        {{"--mode", "append", gelir}, "\"append\""},
        {{"--drive", "12", gelir}, "\"12\""},
        {{"--drive", "q", gelir}, "no drive Q:"},
        {{"--new", "--enterprise", "X", gelir}, "exclude each other"},
        {{"--enterprise", "X", gelir}, "--mode add"},  // no file yet: create mode
        {{"--mode", "create", "--enterprise", "X", gelir}, "--mode add"},
        {{"--new", kurumlar}, "income tax"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named);
        const auto result = convert(c.args);
        EXPECT_EQ(result.status, kUsage);
        EXPECT_THAT(result.errLine(0), HasSubstr(c.named));
        EXPECT_EQ(result.errLine(1), "Try kovrel-convert --help.");
        EXPECT_EQ(result.out, "");
    }
    EXPECT_FALSE(fs::exists(beyannameler));
}

// An enterprise record without a child: its title, and so the list, cannot be read.
TEST_F(ConvertTest, UnreadableEnterpriseListExitsWithTwoAndLeavesTheFile) {
    const std::string unreadable =
        "<beyanname><ozel><kazancDetay><ticariKazancBildirimi><ticariKazanclar><ticariKazanc/>"
        "</ticariKazanclar></ticariKazancBildirimi></kazancDetay></ozel></beyanname>";
    writeBytes(ownFile, unreadable);
    const auto result = convert({writeInfoFile(kIncomeBody)});
    EXPECT_EQ(result.status, kUsage);
    EXPECT_EQ(result.errLine(0), messages::kXmlReadFailed);
    EXPECT_NE(result.errLine(1), "");
    EXPECT_EQ(readBytes(ownFile), unreadable);
}

// By default the first drive in letter order that holds ebyn, skipping removable ones (their
// folder lies under /media/), or else a usage error; a named drive need not hold ebyn yet.
TEST(ConvertDrive, DefaultIsTheFirstFixedDriveHoldingEbynOrTheOneNamed) {
#ifdef _WIN32
    GTEST_SKIP() << "a Windows process keeps the drive letters it was started with";
#else
    kovrel::test::TempDrive drives("fde");  // listed out of order on purpose
    const std::string kurumlar = example("kurumlar");
    const auto noEbyn = convert({kurumlar});
    EXPECT_EQ(noEbyn.status, kUsage);
    EXPECT_THAT(noEbyn.err, HasSubstr("name one with --drive"));
    fs::create_directories(drives.rootOf('e') / "ebyn");
    fs::create_directories(drives.rootOf('f') / "ebyn");
    std::string media = "/media/kovrel-test-XXXXXX";
    const bool removable = ::mkdtemp(media.data()) != nullptr;
    if (removable) {
        fs::create_directories(fs::path(media) / "ebyn");
        drives.link("c:", media);
    }
    const std::string place =
        ":\\ebyn\\beyannameler\\3456789012\\034250_3456789012_KURUMLAR_10_2026.xml\n";
    EXPECT_EQ(convert({kurumlar}).out, "E" + place);
    EXPECT_FALSE(fs::exists(drives.rootOf('f') / "ebyn" / "beyannameler"));
    if (removable) {
        EXPECT_FALSE(fs::exists(fs::path(media) / "ebyn" / "beyannameler"));
        fs::remove_all(media);
    }
    EXPECT_EQ(convert({"--drive", "d", kurumlar}).out, "D" + place);
    EXPECT_EQ(convert({"--drive=F:", kurumlar}).out, "F" + place);
    EXPECT_TRUE(fs::exists(drives.rootOf('d') / "ebyn" / "beyannameler" / "3456789012"));
#endif
}

// An existing income tax file is added to unless --mode create: --new adds a record, the
// default is the first title listed, --enterprise picks one by its title as read back from the
// file (quotes, & and € included); the chosen one's rows are written again after the others'.
TEST_F(ConvertTest, EnterpriseChoiceInAnExistingIncomeTaxFile) {
    const std::string first = "Şahin Kırtasiye & Kitabevi";
    const std::string second = "İkinci \"Şube\" & 'Ortak' €";
    ASSERT_EQ(convert({gelir}).status, kSaved);
    const auto added = convert({"--new", "--title", second, gelir});
    ASSERT_EQ(added.status, kSaved) << added.err;
    EXPECT_EQ(textsAt(readBytes(gelirFile), "//ticariKazanc/unvani"), (Texts{first, second}));

    ASSERT_EQ(convert({gelir}).status, kSaved);
    Texts rows = textsAt(readBytes(gelirFile), "//ABsatiri/unvani");
    EXPECT_EQ(rows.front() + "|" + rows.back(), second + "|" + first);

    const auto chosen = convert({"--enterprise", second, gelir});
    ASSERT_EQ(chosen.status, kSaved) << chosen.err;
    const std::string saved = readBytes(gelirFile);
    rows = textsAt(saved, "//ABsatiri/unvani");
    EXPECT_EQ(rows.front() + "|" + rows.back(), first + "|" + second);

    const auto unknown = convert({"--enterprise", "Yok", gelir});
    EXPECT_EQ(unknown.status, kUsage);
    EXPECT_THAT(unknown.err, HasSubstr("\"Yok\"; it lists:\n  " + first + "\n  " + second + "\n"));
    EXPECT_EQ(readBytes(gelirFile), saved);

    ASSERT_EQ(convert({"--mode", "create", gelir}).status, kSaved);
    EXPECT_EQ(textsAt(readBytes(gelirFile), "//ticariKazanc/unvani"), Texts{first});
}

// An empty enterprise list leaves nothing usable selected; without the list the rows are
// written without a title.
TEST_F(ConvertTest, WithoutEnterprisesTheRunNeedsAChoiceOrRunsWithoutATitle) {
    const std::string info = writeInfoFile(kIncomeBody);
    for (const std::string element : {"ticariKazanc", "ticariKazanclar"}) {
        SCOPED_TRACE(element);
        ASSERT_EQ(convert({"--mode", "create", info}).status, kSaved);
        std::string bytes = readBytes(ownFile);
        const auto from = bytes.find("<" + element + ">");
        const auto to = bytes.find("</" + element + ">") + element.size() + 3;
        ASSERT_NE(from, std::string::npos);
        writeBytes(ownFile, bytes.erase(from, to - from));

        const auto result = convert({info});
        if (element == "ticariKazanc") {
            EXPECT_EQ(result.status, kUsage);
            EXPECT_THAT(result.err, HasSubstr("choose --new"));
            EXPECT_EQ(readBytes(ownFile), bytes);
            EXPECT_EQ(convert({"--new", info}).status, kSaved);
            EXPECT_EQ(textsAt(readBytes(ownFile), "//ticariKazanc/unvani"),
                      Texts{"YILMAZ TICARET"});
        } else {
            EXPECT_EQ(result.status, kSaved) << result.err;
            EXPECT_EQ(textsAt(readBytes(ownFile), "//ABsatiri[not(unvani)]/kod"), Texts{"100"});
        }
    }
}

// Title and activity default to header lines 10 and 11, the rest to nothing; profit and loss
// are normalised like a pasted amount, the others kept as typed.
TEST_F(ConvertTest, NewRecordFieldsFromTheOptionsOrTheHeader) {
    const auto defaults = convert({"--dry-run", gelir});
    ASSERT_EQ(defaults.status, kSaved) << defaults.err;
    EXPECT_EQ(textsAt(defaults.out, "//ticariKazanc/*"),
              (Texts{"Şahin Kırtasiye & Kitabevi", "Kirtasiye perakende ticareti", "802"}));

    const auto given =
        convert({"--dry-run", "--title", "Yeni Ünvan", "--activity", "Gıda", "--share", "50,5",
                 "--profit", "1.234,56", "--loss", "1,000", "--withheld-tax", "1.234,5", gelir});
    ASSERT_EQ(given.status, kSaved) << given.err;
    EXPECT_EQ(textsAt(given.out, "//ticariKazanc/*"),
              (Texts{"Yeni Ünvan", "Gıda", "802", "50,5", "1234.56", "1000", "1.234,5"}));
    EXPECT_NE(given.out.find("<unvani>Yeni \xDCnvan</unvani>"), std::string::npos);
    EXPECT_FALSE(fs::exists(beyannameler));
}

// A failed run exits with 1, shows the run's message then the cause, and saves nothing.
TEST_F(ConvertTest, FailedRunExitsWithOneAndLeavesTheFile) {
    const std::string shortRecord = writeInfoFile({kIncomeBody[0], record({"1", "100", "5,00"})});
    for (const bool existing : {false, true}) {
        SCOPED_TRACE(existing ? "add to a file" : "create");
        if (existing) {
            ASSERT_EQ(convert({writeInfoFile(kIncomeBody)}).status, kSaved);
        }
        const std::string before = readBytes(ownFile);
        const auto result = convert({shortRecord});
        EXPECT_EQ(result.status, kRunFailed);
        EXPECT_EQ(result.errLine(0), messages::kRunFailed);
        EXPECT_THAT(result.errLine(1), HasSubstr("line 14"));
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(fs::exists(ownFile), existing);
        EXPECT_EQ(readBytes(ownFile), before);
    }
}

}  // namespace
}  // namespace kovrel::cli
