#include "cli/convert_command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "convert_fixture.h"
#include "platform/xml_document.h"

namespace kovrel::cli::test {
namespace {

using kovrel::test::readBytes;
using kovrel::test::record;
using kovrel::test::writeBytes;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr const char* kInfoFileMissingMessage = "bilgi dosyası bulunamadı.";
constexpr const char* kStartUpFailedMessage = "XML dosya okunurken hata oluştu.";
constexpr const char* kAppendTargetMissingMessage = "Ekleme yapılacak dosya bulunamadı!";
constexpr const char* kRunFailedMessage = "XML dosyası oluşturulurken hata oluştu!";
constexpr const char* kDuplicateTitleMessage =
    "Yazmış olduğunuz ünvan XML dosya içerisinde daha önceden tanımlanmış lütfen ünvanı "
    "değiştirip tekrar deneyin.";

const Example& kGelir = kExamples[0];
const Example& kKurumlar = kExamples[2];

const std::vector<std::string> kIncomeBody{record({"1", "100", "500,00", "0"}),
                                           record({"3", "600", "0", "900,00"})};

// Rewrites a saved declaration through the XML layer, so that tests can give it shapes that
// a run would not produce.
template <typename Edit>
void editDeclaration(const fs::path& file, Edit edit) {
    auto document = platform::xml::Document::parse(readBytes(file));
    ASSERT_FALSE(document.empty());
    edit(document);
    writeBytes(file, document.serialize());
}

void removeAll(const platform::xml::Document& document, const std::string& xpath) {
    for (const auto& node : document.selectNodes(document.root(), xpath))
        node.parent().removeChild(node);
}

std::vector<std::string> titlesIn(const std::string& declaration) {
    const auto document = platform::xml::Document::parse(declaration);
    std::vector<std::string> titles;
    for (const auto& node : document.selectNodes(document.root(), "//ticariKazanc/unvani"))
        titles.push_back(node.text());
    return titles;
}

TEST_F(ConvertFixture, HelpAndVersion) {
    const auto help = convert({"--help"});
    EXPECT_EQ(help.status, kSaved);
    EXPECT_THAT(help.out, StartsWith("Usage: kovrel-convert"));
    for (const char* option :
         {"--drive", "--mode", "--new", "--enterprise", "--title", "--activity", "--share",
          "--profit", "--loss", "--withheld-tax", "--dry-run", "--version"})
        EXPECT_THAT(help.out, HasSubstr(option));
    EXPECT_EQ(help.err, "");

    const auto version = convert({"--version"});
    EXPECT_EQ(version.status, kSaved);
    EXPECT_THAT(version.out, HasSubstr(KOVREL_VERSION));
    EXPECT_EQ(version.err, "");
    EXPECT_FALSE(fs::exists(drive_.root() / "ebyn" / "beyannameler"));
}

TEST_F(ConvertFixture, BadUsageExitsWithTwoAndNamesTheProblem) {
    const std::string info = examplePath(kGelir);
    const struct {
        std::vector<std::string> args;
        std::string named;
    } cases[] = {
        {{}, "info file"},
        {{"--bogus", info}, "--bogus"},
        {{"--mode", "append", info}, "append"},
        {{info, "--drive"}, "--drive"},
        {{"--drive", "12", info}, "12"},
        {{info, info}, "info file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named);
        const auto result = convert(c.args);
        EXPECT_EQ(result.status, kUsage);
        EXPECT_THAT(result.err, HasSubstr(c.named));
        EXPECT_EQ(result.out, "");
    }
    EXPECT_FALSE(fs::exists(drive_.root() / "ebyn" / "beyannameler"));
}

TEST_F(ConvertFixture, StartUpFailuresExitWithTwoShowingTheSystemsTextThenTheCause) {
    const std::string missing = (infoFiles_.path() / "none.txt").string();
    InfoHeader header;
    auto shortHeader = header.lines();
    shortHeader.resize(11);
    const std::string shortInfo = (infoFiles_.path() / "short.txt").string();
    writeBytes(shortInfo, kovrel::test::infoFileText(shortHeader));

    const auto noFile = convert({missing});
    EXPECT_EQ(noFile.status, kUsage);
    EXPECT_EQ(noFile.errLine(0), kInfoFileMissingMessage);
    EXPECT_EQ(noFile.errLine(1), missing);

    const auto tooShort = convert({shortInfo});
    EXPECT_EQ(tooShort.status, kUsage);
    EXPECT_EQ(tooShort.errLine(0), kStartUpFailedMessage);
    EXPECT_THAT(tooShort.errLine(1), HasSubstr("12"));
    EXPECT_FALSE(fs::exists(drive_.root() / "ebyn" / "beyannameler"));
}

TEST_F(ConvertFixture, DriveLetterInEitherCase) {
    for (const char* drive : {"d", "D", "d:", "D:"}) {
        SCOPED_TRACE(drive);
        fs::remove_all(drive_.root() / "ebyn");
        const auto result = convert({"--drive", drive, examplePath(kGelir)});
        EXPECT_EQ(result.status, kSaved) << result.err;
        EXPECT_EQ(result.out, pathText('D', kGelir) + "\n");
        EXPECT_TRUE(fs::exists(hostFile(kGelir)));
    }
}

// A dosdevices entry may be spelled with a capital letter.
TEST_F(ConvertFixture, DriveEntrySpelledInUpperCase) {
    kovrel::test::TempFolder upper;
    drive_.link("E:", upper.path());
    const auto result = convert({"--drive", "e", examplePath(kKurumlar)});
    EXPECT_EQ(result.status, kSaved) << result.err;
    EXPECT_EQ(result.out, pathText('E', kKurumlar) + "\n");
    EXPECT_TRUE(fs::exists(upper.path() / "ebyn/beyannameler" / kKurumlar.folder / kKurumlar.file));
}

// A named drive need not hold ebyn yet: the run creates the client's folders there.
TEST_F(ConvertFixture, NamedDriveWithoutEbynGetsItsFolders) {
    fs::remove_all(drive_.root() / "ebyn");
    const auto result = convert({"--drive=d", examplePath(kKurumlar)});
    EXPECT_EQ(result.status, kSaved) << result.err;
    EXPECT_TRUE(fs::exists(hostFile(kKurumlar)));
}

TEST_F(ConvertFixture, DriveWithoutEntryOrNoEbynDriveIsAStartUpFailure) {
    const auto noEntry = convert({"--drive", "q", examplePath(kGelir)});
    EXPECT_EQ(noEntry.status, kUsage);
    EXPECT_THAT(noEntry.err, HasSubstr("Q"));

    fs::remove_all(drive_.root() / "ebyn");
    const auto noEbyn = convert({examplePath(kGelir)});
    EXPECT_EQ(noEbyn.status, kUsage);
    EXPECT_THAT(noEbyn.err, HasSubstr("--drive"));
    EXPECT_FALSE(fs::exists(drive_.root() / "ebyn"));
}

class ConvertDefaultDrive : public NeedsTempDrive {};

TEST_F(ConvertDefaultDrive, FirstDriveHoldingEbynInLetterOrder) {
    kovrel::test::TempDrive drives("fcde");  // listed out of order on purpose
    fs::create_directories(drives.rootOf('e') / "ebyn");
    fs::create_directories(drives.rootOf('f') / "ebyn");
    std::ostringstream out, err;
    const std::string info = std::string(KOVREL_EXAMPLES) + "/kurumlar/beyan.txt";
    ASSERT_EQ(runConvert({info}, out, err), kSaved) << err.str();
    EXPECT_EQ(out.str(),
              "E:\\ebyn\\beyannameler\\3456789012\\"
              "034250_3456789012_KURUMLAR_10_2026.xml\n");
    EXPECT_TRUE(fs::exists(drives.rootOf('e') / "ebyn/beyannameler/3456789012"));
    EXPECT_FALSE(fs::exists(drives.rootOf('c') / "ebyn"));
    EXPECT_FALSE(fs::exists(drives.rootOf('f') / "ebyn/beyannameler"));
}

// A drive whose folder lies under /media/ is removable; start-up does not offer it.
TEST_F(ConvertDefaultDrive, SkipsRemovableDrives) {
#ifndef _WIN32
    std::string mediaTemplate = "/media/kovrel-test-XXXXXX";
    if (!::mkdtemp(mediaTemplate.data()))
        GTEST_SKIP() << "cannot create a folder under /media";
    const fs::path media = mediaTemplate;
    {
        kovrel::test::TempDrive drives("d");
        fs::create_directories(media / "ebyn");
        drives.link("c:", media);
        fs::create_directories(drives.rootOf('d') / "ebyn");
        std::ostringstream out, err;
        const std::string info = std::string(KOVREL_EXAMPLES) + "/kurumlar/beyan.txt";
        EXPECT_EQ(runConvert({info}, out, err), kSaved) << err.str();
        EXPECT_THAT(out.str(), StartsWith("D:\\"));
        EXPECT_FALSE(fs::exists(media / "ebyn" / "beyannameler"));

        // Named explicitly, a removable drive is used like any other.
        std::ostringstream out2, err2;
        EXPECT_EQ(runConvert({"--drive", "c", info}, out2, err2), kSaved) << err2.str();
        EXPECT_TRUE(fs::exists(media / "ebyn" / "beyannameler" / "3456789012"));
    }
    fs::remove_all(media);
#endif
}

TEST_F(ConvertFixture, AddModeWithoutAFileFailsAfterCreatingTheFolders) {
    const auto result = convert({"--mode", "add", examplePath(kGelir)});
    EXPECT_EQ(result.status, kRunFailed);
    EXPECT_EQ(result.errLine(0), kAppendTargetMissingMessage);
    EXPECT_EQ(result.errLine(1), pathText('D', kGelir));
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(fs::is_directory(hostFile(kGelir).parent_path()));
    EXPECT_FALSE(fs::exists(hostFile(kGelir)));
}

// Without --mode an existing file is added to; --mode create replaces it by a new one.
TEST_F(ConvertFixture, ModeDefaultsToAddWhenTheFileExists) {
    ASSERT_EQ(convert({examplePath(kKurumlar)}).status, kSaved);
    const std::string created = readBytes(hostFile(kKurumlar));
    editDeclaration(hostFile(kKurumlar), [](const auto& document) {
        document.selectSingleNode("/beyanname/genel").appendElement("isaret").setText("kalsin");
    });

    ASSERT_EQ(convert({examplePath(kKurumlar)}).status, kSaved);
    EXPECT_EQ(textAt(readBytes(hostFile(kKurumlar)), "//genel/isaret"), "kalsin");

    ASSERT_EQ(convert({"--mode", "create", examplePath(kKurumlar)}).status, kSaved);
    EXPECT_EQ(readBytes(hostFile(kKurumlar)), created);
}

TEST_F(ConvertFixture, EnterpriseChoicesThatDoNotFitAreUsageErrors) {
    const std::string gelir = examplePath(kGelir);
    const std::string kurumlar = examplePath(kKurumlar);
    InfoHeader otherType;
    otherType.type = "XYZ";
    const std::string xyz = writeInfoFile(otherType, {});
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::string named;
    } cases[] = {
        {"--enterprise with --mode create",
         {"--mode", "create", "--enterprise", "X", gelir},
         "--mode"},
        {"--enterprise in create mode by default", {"--enterprise", "X", gelir}, "--enterprise"},
        {"--new and --enterprise", {"--new", "--enterprise", "X", gelir}, "--enterprise"},
        {"--new for corporate tax", {"--new", kurumlar}, "--new"},
        {"--enterprise for corporate tax", {"--enterprise", "X", kurumlar}, "--enterprise"},
        {"--new for another type", {"--new", xyz}, "--new"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto result = convert(c.args);
        EXPECT_EQ(result.status, kUsage);
        EXPECT_THAT(result.err, HasSubstr(c.named));
        EXPECT_EQ(result.out, "");
    }
    EXPECT_FALSE(fs::exists(drive_.root() / "ebyn" / "beyannameler"));
}

// The enterprise list of an existing income tax file: --new adds a record, --enterprise
// picks one, the default is the first listed, an unknown title lists the titles.
TEST_F(ConvertFixture, NewRecordAndExistingEnterprise) {
    const std::string info = examplePath(kGelir);
    const std::string first = "Şahin Kırtasiye & Kitabevi";
    const std::string second = "İkinci \"Şube\" & 'Ortak'";
    ASSERT_EQ(convert({info}).status, kSaved);

    const auto added = convert({"--new", "--title", second, info});
    ASSERT_EQ(added.status, kSaved) << added.err;
    std::string saved = readBytes(hostFile(kGelir));
    EXPECT_EQ(titlesIn(saved), (std::vector<std::string>{first, second}));
    // The new record's rows carry its title; the first enterprise's rows stay, and the
    // performance items of both runs accumulate.
    EXPECT_EQ(countOf(saved, "//ABsatiri[unvani='" + first + "']"), 5u);
    EXPECT_EQ(countOf(saved, "//ABsatiri"), 10u);
    EXPECT_EQ(countOf(saved, "//performans/*"), 8u);

    // For the second enterprise its rows and the performance section are rebuilt; a further
    // run for it changes nothing.
    const auto chosen = convert({"--enterprise", second, info});
    ASSERT_EQ(chosen.status, kSaved) << chosen.err;
    saved = readBytes(hostFile(kGelir));
    EXPECT_EQ(titlesIn(saved), (std::vector<std::string>{first, second}));
    EXPECT_EQ(countOf(saved, "//ABsatiri"), 10u);
    EXPECT_EQ(textAt(saved, "//ABsatiri[last()]/unvani"), second);
    EXPECT_EQ(countOf(saved, "//performans/*"), 4u);
    ASSERT_EQ(convert({"--enterprise", second, info}).status, kSaved);
    EXPECT_EQ(readBytes(hostFile(kGelir)), saved);

    // The default is the first title: its rows are removed and written again after the
    // second enterprise's rows.
    const auto byDefault = convert({info});
    ASSERT_EQ(byDefault.status, kSaved) << byDefault.err;
    saved = readBytes(hostFile(kGelir));
    EXPECT_EQ(titlesIn(saved), (std::vector<std::string>{first, second}));
    EXPECT_EQ(countOf(saved, "//ABsatiri"), 10u);
    EXPECT_EQ(textAt(saved, "//ABsatiri[1]/unvani"), second);
    EXPECT_EQ(textAt(saved, "//ABsatiri[last()]/unvani"), first);

    const auto unknown = convert({"--enterprise", "Yok", info});
    EXPECT_EQ(unknown.status, kUsage);
    EXPECT_THAT(unknown.err, HasSubstr("Yok"));
    EXPECT_THAT(unknown.err, HasSubstr(first));
    EXPECT_THAT(unknown.err, HasSubstr(second));
    EXPECT_EQ(readBytes(hostFile(kGelir)), saved);
}

TEST_F(ConvertFixture, DuplicateTitleExitsWithThreeAndLeavesTheFile) {
    const std::string info = examplePath(kGelir);
    ASSERT_EQ(convert({info}).status, kSaved);
    const std::string saved = readBytes(hostFile(kGelir));

    // --new without --title takes the title of header line 10, which is already listed.
    const auto duplicate = convert({"--new", info});
    EXPECT_EQ(duplicate.status, kDuplicateTitle);
    EXPECT_EQ(duplicate.errLine(0), kDuplicateTitleMessage);
    EXPECT_THAT(duplicate.errLine(1), HasSubstr("Şahin Kırtasiye & Kitabevi"));
    EXPECT_EQ(readBytes(hostFile(kGelir)), saved);

    // Titles are compared case-sensitively.
    EXPECT_EQ(convert({"--new", "--title", "ŞAHİN KIRTASİYE & KİTABEVİ", info}).status, kSaved);
    EXPECT_EQ(titlesIn(readBytes(hostFile(kGelir))).size(), 2u);
}

// A file whose ticariKazanclar lists nobody leaves the window with nothing usable selected.
TEST_F(ConvertFixture, EmptyEnterpriseListNeedsAChoice) {
    const std::string info = writeInfoFile(InfoHeader{}, kIncomeBody);
    ASSERT_EQ(convert({info}).status, kSaved);
    editDeclaration(defaultHostFile(),
                    [](const auto& document) { removeAll(document, "//ticariKazanc"); });
    const std::string before = readBytes(defaultHostFile());

    const auto result = convert({info});
    EXPECT_EQ(result.status, kUsage);
    EXPECT_THAT(result.err, HasSubstr("--new"));
    EXPECT_THAT(result.err, HasSubstr("--enterprise"));
    EXPECT_EQ(readBytes(defaultHostFile()), before);

    EXPECT_EQ(convert({"--new", info}).status, kSaved);
    EXPECT_EQ(titlesIn(readBytes(defaultHostFile())), (std::vector<std::string>{"YILMAZ TICARET"}));
}

// Without ticariKazanclar the window runs with no enterprise selected: rows without a title.
TEST_F(ConvertFixture, NoEnterpriseSectionRunsWithoutATitle) {
    const std::string info = writeInfoFile(InfoHeader{}, kIncomeBody);
    ASSERT_EQ(convert({info}).status, kSaved);
    editDeclaration(defaultHostFile(), [](const auto& document) {
        removeAll(document, "//kazancDetay");
        removeAll(document, "//ABsatiri");
        removeAll(document, "//AGTsatiri");
    });

    const auto result = convert({info});
    ASSERT_EQ(result.status, kSaved) << result.err;
    const std::string saved = readBytes(defaultHostFile());
    EXPECT_EQ(countOf(saved, "//ABsatiri"), 1u);
    EXPECT_EQ(countOf(saved, "//AGTsatiri"), 1u);
    EXPECT_EQ(countOf(saved, "//ABsatiri/unvani"), 0u);
    EXPECT_EQ(countOf(saved, "//AGTsatiri/unvani"), 0u);
    EXPECT_EQ(textAt(saved, "//ABsatiri/kod"), "100");
}

// The new record's fields: title and activity default to header lines 10 and 11, the others
// to nothing; profit and loss are normalised like a pasted amount, the others are kept.
TEST_F(ConvertFixture, NewRecordFields) {
    const std::string info = examplePath(kGelir);
    const auto defaults = convert({"--dry-run", info});
    ASSERT_EQ(defaults.status, kSaved) << defaults.err;
    const auto document = platform::xml::Document::parse(defaults.out);
    std::vector<std::string> names;
    for (const auto& child : document.selectSingleNode("//ticariKazanc").childElements())
        names.push_back(child.name());
    EXPECT_EQ(names, (std::vector<std::string>{"unvani", "faaliyetKonusu", "verilenEk"}));
    EXPECT_EQ(textAt(defaults.out, "//ticariKazanc/unvani"), "Şahin Kırtasiye & Kitabevi");
    EXPECT_EQ(textAt(defaults.out, "//ticariKazanc/faaliyetKonusu"),
              "Kirtasiye perakende ticareti");

    const auto given =
        convert({"--dry-run", "--title", "Yeni Ünvan", "--activity", "Gıda", "--share", "50,5",
                 "--profit", "1.234,56", "--loss", "1,000", "--withheld-tax", "1.234,5", info});
    ASSERT_EQ(given.status, kSaved) << given.err;
    const auto filled = platform::xml::Document::parse(given.out);
    names.clear();
    for (const auto& child : filled.selectSingleNode("//ticariKazanc").childElements())
        names.push_back(child.name());
    EXPECT_EQ(names, (std::vector<std::string>{"unvani", "faaliyetKonusu", "verilenEk", "payOrani",
                                               "kar", "zarar", "kgv"}));
    EXPECT_EQ(textAt(given.out, "//ticariKazanc/unvani"), "Yeni Ünvan");
    EXPECT_EQ(textAt(given.out, "//ticariKazanc/faaliyetKonusu"), "Gıda");
    EXPECT_EQ(textAt(given.out, "//ticariKazanc/verilenEk"), "802");
    EXPECT_EQ(textAt(given.out, "//ticariKazanc/payOrani"), "50,5");
    EXPECT_EQ(textAt(given.out, "//ticariKazanc/kar"), "1234.56");
    EXPECT_EQ(textAt(given.out, "//ticariKazanc/zarar"), "1000");
    EXPECT_EQ(textAt(given.out, "//ticariKazanc/kgv"), "1.234,5");
    EXPECT_EQ(countOf(given.out, "//ABsatiri[unvani='Yeni Ünvan']"), 5u);
    // Ü and ı in ISO-8859-9.
    EXPECT_NE(given.out.find("<unvani>Yeni \xDCnvan</unvani>"), std::string::npos);
    EXPECT_NE(given.out.find("<faaliyetKonusu>G\xFD"
                             "da</faaliyetKonusu>"),
              std::string::npos);
}

TEST_F(ConvertFixture, ProfitAndLossAreNormalised) {
    const struct {
        std::string typed;
        std::string written;
    } cases[] = {
        {"1.234,56", "1234.56"}, {"1,234", "1234"}, {"12,5", "12.5"},
        {"1.500", "1500"},       {"100", "100"},    {"1.2.3", "12.3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const auto result =
            convert({"--dry-run", "--profit", c.typed, "--loss", c.typed, examplePath(kGelir)});
        ASSERT_EQ(result.status, kSaved) << result.err;
        EXPECT_EQ(textAt(result.out, "//ticariKazanc/kar"), c.written);
        EXPECT_EQ(textAt(result.out, "//ticariKazanc/zarar"), c.written);
    }
}

// A character ISO-8859-9 cannot hold is kept as a character reference.
TEST_F(ConvertFixture, TitleOutsideLatin5IsNotLost) {
    const auto result = convert({"--title", "Kafe €uro", examplePath(kGelir)});
    ASSERT_EQ(result.status, kSaved) << result.err;
    const std::string saved = readBytes(hostFile(kGelir));
    EXPECT_NE(saved.find("Kafe &#8364;uro"), std::string::npos);
    EXPECT_EQ(textAt(saved, "//ticariKazanc/unvani"), "Kafe €uro");
    EXPECT_EQ(countOf(saved, "//ABsatiri[unvani='Kafe €uro']"), 5u);

    // The next run finds the title again and rebuilds the same file.
    ASSERT_EQ(convert({"--enterprise", "Kafe €uro", examplePath(kGelir)}).status, kSaved);
    EXPECT_EQ(readBytes(hostFile(kGelir)), saved);
}

TEST_F(ConvertFixture, BusinessSummaryRecordIsMarked801) {
    const auto result = convert({"--dry-run", examplePath(kExamples[1])});
    ASSERT_EQ(result.status, kSaved) << result.err;
    EXPECT_EQ(textAt(result.out, "//ticariKazanc/verilenEk"), "801");
}

TEST_F(ConvertFixture, DryRunInAddModeLeavesTheFile) {
    ASSERT_EQ(convert({examplePath(kGelir)}).status, kSaved);
    const auto before = fs::last_write_time(hostFile(kGelir));
    const std::string saved = readBytes(hostFile(kGelir));
    const auto dry = convert({"--dry-run", "--new", "--title", "Başka", examplePath(kGelir)});
    ASSERT_EQ(dry.status, kSaved) << dry.err;
    EXPECT_EQ(titlesIn(dry.out), (std::vector<std::string>{"Şahin Kırtasiye & Kitabevi", "Başka"}));
    EXPECT_EQ(readBytes(hostFile(kGelir)), saved);
    EXPECT_EQ(fs::last_write_time(hostFile(kGelir)), before);
}

// A failed run exits with 1, shows the run's message then the cause, and saves nothing.
TEST_F(ConvertFixture, FailedRunExitsWithOneAndLeavesTheFile) {
    InfoHeader header;
    const std::string good = writeInfoFile(header, kIncomeBody);
    const std::string shortRecord =
        writeInfoFile(header, {kIncomeBody[0], record({"1", "100", "5,00"})});

    // In create mode a failed run writes no file at all.
    const auto created = convert({shortRecord});
    EXPECT_EQ(created.status, kRunFailed);
    EXPECT_EQ(created.errLine(0), kRunFailedMessage);
    EXPECT_THAT(created.errLine(1), HasSubstr("14"));
    EXPECT_EQ(created.out, "");
    EXPECT_FALSE(fs::exists(defaultHostFile()));

    ASSERT_EQ(convert({good}).status, kSaved);
    const std::string saved = readBytes(defaultHostFile());
    for (const char* mode : {"add", "create"}) {
        SCOPED_TRACE(mode);
        const auto result = convert({"--mode", mode, shortRecord});
        EXPECT_EQ(result.status, kRunFailed);
        EXPECT_EQ(result.errLine(0), kRunFailedMessage);
        EXPECT_THAT(result.errLine(1), HasSubstr("14"));
        EXPECT_EQ(readBytes(defaultHostFile()), saved);
    }
}

TEST_F(ConvertFixture, DeclarationThatDoesNotParseFailsWithTheParsersMessage) {
    const std::string info = writeInfoFile(InfoHeader{}, kIncomeBody);
    const std::string broken = "<?xml version=\"1.0\"?>\r\n<beyanname>\r\n<genel>\r\n";
    writeBytes(defaultHostFile(), broken);

    const auto result = convert({info});
    EXPECT_EQ(result.status, kRunFailed);
    EXPECT_EQ(result.errLine(0), kRunFailedMessage);
    EXPECT_FALSE(result.errLine(1).empty());
    EXPECT_EQ(readBytes(defaultHostFile()), broken);
}

}  // namespace
}  // namespace kovrel::cli::test
