#include "cli/convert_command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "platform/messages.h"
#include "support/test_support.h"

namespace kovrel::cli {
namespace {

namespace fs = std::filesystem;
using ::testing::_;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Texts = std::vector<std::string>;

struct Result {
    int status = -1;
    std::string out;
    Texts errLines;
};

Result convert(const Texts& args) {
    std::ostringstream out, err;
    Result result{runConvert(args, out, err), out.str(), {}};
    std::istringstream lines(err.str());
    for (std::string line; std::getline(lines, line);)
        result.errLines.push_back(line);
    return result;
}

class ConvertTest : public ::testing::Test {
  protected:
    const test::Scene scene;
    const fs::path beyannameler = scene.drive.root() / "ebyn" / "beyannameler";
    const std::string gelir = KOVREL_EXAMPLES "/gelir/beyan.txt";
    const std::string kurumlar = KOVREL_EXAMPLES "/kurumlar/beyan.txt";
};

TEST_F(ConvertTest, BadUsageExitsWithTwoNamesTheProblemAndWritesNothing) {
    const std::pair<Texts, std::string> cases[] = {
        {{}, "bilgi dosyası verilmedi"},
        {{gelir, gelir}, "birden fazla bilgi dosyası"},
        {{"--bogus", gelir}, "--bogus"},
        {{gelir, "--drive"}, "--drive bir değer ister"},
        {{"--mode", "append", gelir}, "“append”"},
        {{"--drive", "12", gelir}, "“12”"},
        {{"--drive", "q", gelir}, "Q: sürücüsü yok"},
        {{"--new", "--enterprise", "X", gelir}, "birlikte kullanılamaz"},
        {{"--enterprise", "X", gelir}, "--mode add"},  // no file yet: create mode
        {{"--mode", "create", "--enterprise", "X", gelir}, "--mode add"},
        {{"--new", kurumlar}, "gelir vergisi"},
    };
    for (const auto& [args, named] : cases) {
        const auto result = convert(args);
        EXPECT_EQ(result.status, kUsage) << named;
        EXPECT_THAT(result.errLines,
                    ElementsAre(HasSubstr(named), "Yardım için: kovrel-convert --help"));
        EXPECT_EQ(result.out, "");
    }
    EXPECT_FALSE(fs::exists(beyannameler));
}

// By default the first drive in letter order that holds ebyn, skipping removable ones, or else
// a usage error; a named drive need not hold ebyn yet.
TEST_F(ConvertTest, DefaultDriveIsTheFirstFixedOneHoldingEbynOrTheOneNamed) {
    test::TempDrive drives("fde");  // listed out of order on purpose
    EXPECT_THAT(convert({kurumlar}).errLines,
                ElementsAre(HasSubstr("sürücüyü --drive ile belirtin"), _));
    fs::create_directories(drives.rootOf('e') / "ebyn");
    fs::create_directories(drives.rootOf('f') / "ebyn");
    const auto removable = drives.removable();  // none where it cannot be made
    if (removable)
        fs::create_directories(*removable / "ebyn");
    const std::string place =
        ":\\ebyn\\beyannameler\\3456789012\\034250_3456789012_KURUMLAR_10_2026.xml\n";
    EXPECT_EQ(convert({kurumlar}).out, "E" + place);
    EXPECT_FALSE(fs::exists(drives.rootOf('f') / "ebyn" / "beyannameler"));
    if (removable) {
        EXPECT_FALSE(fs::exists(*removable / "ebyn" / "beyannameler"));
    }
    EXPECT_EQ(convert({"--drive", "d", kurumlar}).out, "D" + place);
    EXPECT_EQ(convert({"--drive=F:", kurumlar}).out, "F" + place);
}

// Added to: with no record listed nothing is chosen; --new adds one (title and activity default
// to header lines 10 and 11, amounts normalised as if pasted); by default the first title; by
// --enterprise one as read back (quotes, & and €), its rows after the others'. No section, no
// title.
TEST_F(ConvertTest, EnterpriseChoiceInAnExistingIncomeTaxFile) {
    const fs::path file = beyannameler / "12345678901" / "034250_12345678901_GELIR_10_2026.xml";
    const std::string first = "Şahin Kırtasiye & Kitabevi", second = "İkinci \"Şube\" & 'Ortak' €";
    const auto at = [&](const std::string& xpath) {
        const auto document = platform::xml::Document::parse(test::readBytes(file));
        Texts texts;
        for (const auto& node : document.selectNodes(document.root(), xpath))
            texts.push_back(node.text());
        return texts;
    };
    const auto cut = [&](const std::string& element) {
        const std::regex whole("<" + element + ">[^]*</" + element + ">");
        test::writeBytes(file, std::regex_replace(test::readBytes(file), whole, ""));
    };
    ASSERT_EQ(convert({gelir}).status, kSaved);
    cut("ticariKazanc");
    EXPECT_THAT(convert({gelir}).errLines, ElementsAre(HasSubstr("yeni kayıt için --new"), _));
    ASSERT_EQ(convert({"--new", gelir}).status, kSaved);
    EXPECT_EQ(at("//ticariKazanc/*"), (Texts{first, "Kirtasiye perakende ticareti", "802"}));
    const Texts options{"--new",   "--title",        second,     "--activity", "Gıda",
                        "--share", "50,5",           "--profit", "1.234,56",   "--loss",
                        "1,000",   "--withheld-tax", "1.234,5",  gelir};
    ASSERT_EQ(convert(options).status, kSaved);
    EXPECT_EQ(at("//ticariKazanc[2]/*"),
              (Texts{second, "Gıda", "802", "50,5", "1234.56", "1000", "1.234,5"}));

    const std::string firstAndLastRow = "//ABsatiri[1]/unvani | //ABsatiri[last()]/unvani";
    ASSERT_EQ(convert({gelir}).status, kSaved);
    EXPECT_EQ(at(firstAndLastRow), (Texts{second, first}));
    ASSERT_EQ(convert({"--enterprise", second, gelir}).status, kSaved);
    EXPECT_EQ(at(firstAndLastRow), (Texts{first, second}));
    EXPECT_THAT(convert({"--enterprise", "Yok", gelir}).errLines,
                ElementsAre(HasSubstr("“Yok” unvanlı bir işletme yok. Dosyadaki işletmeler:"),
                            "  " + first, "  " + second, _));

    cut("ticariKazanclar");
    ASSERT_EQ(convert({gelir}).status, kSaved);
    EXPECT_EQ(at("//ABsatiri[not(unvani)]/kod"), (Texts{"100", "153", "255", "320", "500"}));
}

// The versions a user can tell apart by time, size and enterprises, and put back by number.
TEST_F(ConvertTest, VersionsAreListedAndPutBackByNumber) {
    const fs::path file = beyannameler / "12345678901" / "034250_12345678901_GELIR_10_2026.xml";
    EXPECT_THAT(convert({"--restore", "1", gelir}).errLines,
                ElementsAre(HasSubstr("saklanan bir sürüm yok"), _));
    ASSERT_EQ(convert({gelir}).status, kSaved);
    const std::string first = test::readBytes(file);
    ASSERT_EQ(convert({"--new", "--title", "İkinci", gelir}).status, kSaved);
    const auto listed = convert({"--versions", gelir});
    EXPECT_EQ(listed.status, kSaved);
    // std::regex: GoogleTest's own on Windows knows no brackets or braces.
    EXPECT_TRUE(std::regex_search(
        listed.out,
        std::regex("\n   1  [0-9.]{10} [0-9:]{8}  3,5 KB  Şahin Kırtasiye & Kitabevi\n")))
        << listed.out;
    EXPECT_THAT(convert({"--restore", "2", gelir}).errLines,
                ElementsAre(HasSubstr("1 ile 1 arasında"), _));
    const std::string second = test::readBytes(file);
    ASSERT_EQ(convert({"--restore", "1", gelir}).status, kSaved);
    EXPECT_EQ(test::readBytes(file), first);
    ASSERT_EQ(convert({"--restore=1", gelir}).status, kSaved);
    EXPECT_EQ(test::readBytes(file), second);
}

// What a user meets when a file is not what it should be: the program's headline, a Turkish
// cause that names the line or the file, the exit status, and no file changed.
TEST_F(ConvertTest, BrokenFilesAreSaidSoInTurkishWithTheirLineOrPath) {
    const std::string text = test::readBytes(gelir);
    std::string utf16 = "\xFF\xFE";
    for (const char c : text.substr(0, 200))
        utf16 += std::string{c, '\0'};
    const auto header = test::InfoHeader{}.lines();
    const auto withEmptyLine = [&](std::size_t number) {  // lines 2 to 12 need their one field
        auto lines = header;
        lines[number - 1].clear();
        return test::infoFileText(lines);
    };
    const std::string utf8 =
        "034250│2026│GELIR\r\n" + std::string(11 * 4, 'x').replace(0, 2, "Ş\r");
    scene.writeInfo(text);
    ASSERT_EQ(convert({scene.infoPath}).status, kSaved);
    const fs::path declaration = scene.declaration();
    const std::string saved = test::readBytes(declaration);
    const auto cutAt = [&](const char* marker) { return saved.substr(0, saved.find(marker)); };
    const std::string declarationPath =
        "D:\\ebyn\\beyannameler\\12345678901\\034250_12345678901_GELIR_10_2026.xml";
    const std::string unreadable = messages::kInfoFileUnreadable;
    const struct {
        const char* name;
        std::string info, declaration;  // beyan.txt, and the file the run targets
        int status;
        std::string headline, fact;  // the fact: what the cause must name
        const char* option = nullptr;
    } cases[] = {
        {"empty info file", "", saved, kUsage, unreadable, "boş"},
        {"binary info file", std::string("\x00\x01\x02", 3), saved, kUsage, unreadable,
         "metin dosyası değil"},
        {"UTF-16 info file", utf16, saved, kUsage, unreadable, "UTF-16"},
        {"UTF-8 info file", utf8, saved, kUsage, unreadable, "UTF-8 olarak"},
        {"eleven lines", test::infoFileText({header.begin(), header.end() - 1}), saved, kUsage,
         unreadable, "11 satır"},
        {"header line without fields", "1\r\n" + text.substr(text.find("\r\n") + 2), saved, kUsage,
         unreadable, "1. satır: 1 alan var; 3 alan"},
        {"empty header line", withEmptyLine(7), saved, kUsage, unreadable,
         "7. satır: 0 alan var; 1"},
        {"empty last header line", withEmptyLine(12), saved, kUsage, unreadable,
         "12. satır: 0 alan"},
        {"record short of fields", text + "1\xB3" + "100\r\n", saved, kRunFailed,
         messages::kRunFailed, "satır: “1” kaydında 2 alan var; 4 alan"},
        {"declaration cut off inside its list", text, cutAt("<verilenEk>"), kUsage,
         messages::kXmlReadFailed, "Dosya yarıda kesilmiş"},
        {"cut off after it", text, cutAt("</ekler>"), kRunFailed, messages::kRunFailed,
         "Dosya yarıda kesilmiş"},
        {"not XML", text, "merhaba", kUsage, messages::kXmlReadFailed, "XML dosyası değil"},
        {"document type", text, "<!DOCTYPE beyanname>" + saved, kUsage, messages::kXmlReadFailed,
         "DOCTYPE"},
        {"not XML, created anew", text, "merhaba", kSaved, "", "", "--mode=create"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        scene.writeInfo(c.info);
        test::writeBytes(declaration, c.declaration);
        const auto result =
            convert(c.option ? Texts{c.option, scene.infoPath} : Texts{scene.infoPath});
        EXPECT_EQ(result.status, c.status);
        if (c.status == kSaved) {
            EXPECT_NE(test::readBytes(declaration), c.declaration);
            continue;
        }
        ASSERT_GE(result.errLines.size(), 2u);
        EXPECT_EQ(result.errLines[0], c.headline);
        const std::string cause = result.errLines[1];
        EXPECT_THAT(cause, HasSubstr(c.fact));
        EXPECT_THAT(cause, testing::AnyOf(HasSubstr(scene.infoPath), HasSubstr(declarationPath)));
        for (const char* english : {" line ", " file", " has ", "needs", "cannot", "does not"})
            EXPECT_THAT(cause, testing::Not(HasSubstr(english)));
        EXPECT_EQ(test::readBytes(declaration), c.declaration);
    }
}

}  // namespace
}  // namespace kovrel::cli
