#include "conversion/conversion_run.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "conversion/messages.h"
#include "platform/xml_document.h"
#include "support/test_support.h"
#include "textconv/text_conv.h"

namespace kovrel::conversion {
namespace {

namespace fs = std::filesystem;
using infofile::DeclarationHeader;
using platform::xml::Document;
using test::compactXml;
using test::record;

const std::string kTitle = "Ali \"Kaya\" 'Ltd' & Ortakları";
const std::string kOtherTitle = "Büyük Ğ Şirketi";

class ConversionRunTest : public ::testing::Test {
  protected:
    test::TempDrive drive{"d"};
    const std::string infoPath = "D:\\beyan.txt";
    fs::path folder = drive.root() / "ebyn" / "beyannameler" / "1234567890";
    const std::string fixture =
        test::readBytes(fs::path(KOVREL_TEST_DATA) / "conversion" / "gelir_two_enterprises.xml");

    void SetUp() override {
#ifdef _WIN32
        GTEST_SKIP() << "a Windows process keeps the drive letters it was started with";
#endif
        ASSERT_FALSE(fixture.empty());
    }

    // Writes beyan.txt and returns its header as start-up reads it.
    DeclarationHeader writeInfo(const std::string& type, const std::vector<std::string>& body,
                                test::InfoHeader header = {}) {
        header.type = type;
        test::writeBytes(drive.root() / "beyan.txt", test::infoFileText(header, body));
        std::string error;
        const auto read = infofile::readDeclarationHeader(infoPath, error);
        EXPECT_TRUE(read) << error;
        return read ? read->header : DeclarationHeader{};
    }
    fs::path target(const std::string& type) const {
        return folder / ("034260_1234567890_" + type + "_10_2023.xml");
    }
    RunOutcome run(const DeclarationHeader& header, const RunChoices& choices) {
        return ConversionRun(header, infoPath, choices);
    }
};

RunChoices withoutEnterprise(Mode mode) {
    RunChoices c;
    c.driveText = "D";
    c.mode = mode;
    return c;
}

RunChoices createNew(const std::string& title) {
    RunChoices c = withoutEnterprise(Mode::CreateNew);
    c.enterprise = {0, messages::kNewRecordEntry, {}};
    c.fields.title = title;
    c.fields.activity = "Toptan";
    return c;
}

RunChoices addNew(const std::string& title, std::vector<std::string> listed) {
    RunChoices c = createNew(title);
    c.mode = Mode::AddToExisting;
    c.enterprise.listTitles = std::move(listed);
    return c;
}

RunChoices addExisting(const std::string& title, std::vector<std::string> listed = {}) {
    RunChoices c = withoutEnterprise(Mode::AddToExisting);
    c.enterprise = {2, title, listed.empty() ? std::vector<std::string>{title} : listed};
    return c;
}

// Spaces around fields are trimmed; 4/11 is no performance item and needs no value; a repeated
// item is appended again; 81 belongs to business summaries only.
const std::vector<std::string> kIncomeTaxBody{
    record({"1", "100", "1.000,00", ""}),
    record({" 2 ", " 500 ", " ", "2.000,00 "}),
    record({"3", "600\xDE", "5.000,00", "-1"}),
    record({"4", "1", "7.500,00"}),
    record({"4", "7", "12.000,00"}),
    record({"4", "11"}),
    record({"4", "7", "1"}),
    record({"81", "1"}),
};

// Summary records keep their spaces: a field holds two columns of 15 characters. " 10" is no
// summary code, so its fields are trimmed first.
const std::vector<std::string> kBusinessSummaryBody{
    record({"10", std::string(15, ' ') + "       1.234,50"}),
    record({"20", "         100,00        200,00 "}),
    record({"50"}),
    record({"60", "          1234567" + std::string(13, ' ')}),
    record({" 10", "          1234567" + std::string(13, ' ')}),
    record({"81", "125"}),
    record({"4", "1", "300"}),
};

// Footnotes are mapped from code page 857, table values taken as ISO-8859-9.
const std::vector<std::string> kCorporateTaxBody{
    record({"1", "100", "", "250"}),    record({"2", "500", "1.234,56", "-7"}),
    record({"3", "6\xDE", "10", "20"}), record({"11", "Aktif not\x9F"}),
    record({"12", "Pasif & <not>"}),    record({"13", ""}),
    record({"4", "1", "5.000"}),        record({"4", "16"}),
    record({"4", "5", "700"}),          record({"4", "1", "6"}),
};

// Every saved file is ISO-8859-9 with CR LF line ends (so that cleaning changes nothing), its
// header comes from the info file, and its sections hold the records.
TEST_F(ConversionRunTest, CompletedRunsSaveTheRecords) {
    test::InfoHeader info;
    info.surname =
        "\x9E"
        "AH\x98N";  // ŞAHİN in code page 857
    RunChoices withProfit = createNew(kTitle);
    withProfit.fields.profit = "1.000,00";
    const std::string u = "<unvani>" + kTitle + "</unvani>";
    const std::vector<std::string> emptyLines{record({"1", "100", "1", ""}), "",
                                              record({"", "x", "y"}),        "   ",
                                              record({" ", "1", "2", "3"}),  ""};
    const struct {
        const char* name;
        std::string type, fileType;
        std::vector<std::string> body;
        RunChoices choices;
        bool oldFile;
        const char* section;
        std::string expected;
        const char* savedBytes = "";
    } cases[] = {
        {"income tax", "GELIR", "GELIR", kIncomeTaxBody, withProfit, false, "//beyanname/ozel",
         "<ozel><kazancDetay><ticariKazancBildirimi><ticariKazanclar><ticariKazanc>" + u +
             "<faaliyetKonusu>Toptan</faaliyetKonusu><verilenEk>802</verilenEk>"
             "<kar>1.000,00</kar></ticariKazanc></ticariKazanclar></ticariKazancBildirimi>"
             "</kazancDetay><ekler><ayrintiliBilancoGelirTablosu><ayrintiliBilanco><ABsatiri>" +
             u + "<tip>1</tip><kod>100</kod><od>1.000,00</od></ABsatiri><ABsatiri>" + u +
             "<tip>2</tip><kod>500</kod><cd>2.000,00</cd></ABsatiri></ayrintiliBilanco>"
             "<ayrintiliGelirTablosu><AGTsatiri>" +
             u +
             "<kod>600Ş</kod><od>5.000,00</od><cd>-1</cd></AGTsatiri></ayrintiliGelirTablosu>"
             "</ayrintiliBilancoGelirTablosu></ekler><performans><netSatis>7.500,00</netSatis>"
             "<aktifToplami>12.000,00</aktifToplami><aktifToplami>1</aktifToplami></performans>"
             "</ozel>",
         // Quotes stay as they are in text; ı takes its ISO-8859-9 byte.
         "<unvani>Ali \"Kaya\" 'Ltd' &amp; Ortaklar\xFD</unvani>"},
        {"business summary", "gelir-ozet", "GELIR", kBusinessSummaryBody, createNew("T"), false,
         "//beyanname/ozel",
         "<ozel><kazancDetay><ticariKazancBildirimi><ticariKazanclar><ticariKazanc>"
         "<unvani>T</unvani><faaliyetKonusu>Toptan</faaliyetKonusu><verilenEk>801</verilenEk>"
         "</ticariKazanc></ticariKazanclar></ticariKazancBildirimi></kazancDetay><ekler>"
         "<isletmeHesapOzetleri><isletmeHesapOzeti><unvani>T</unvani><donemBasiEM/>"
         "<donemIciEEH>1.234,50</donemIciEEH><donemIciSE>100,00</donemIciSE>"
         "<digerGelir>200,00</digerGelir><gider>12345</gider><donemSonuE>67</donemSonuE>"
         "<donemBasiEM>1234567</donemBasiEM><donemIciEEH>1234567</donemIciEEH><kar>125</kar>"
         "<zarar>125</zarar></isletmeHesapOzeti></isletmeHesapOzetleri></ekler><performans>"
         "<netSatis>300</netSatis></performans></ozel>"},
        {"corporate tax", "KURUMLAR", "KURUMLAR", kCorporateTaxBody,
         withoutEnterprise(Mode::CreateNew), false, "//beyanname/ozel",
         "<ozel><kazancinTespitYontemi>1</kazancinTespitYontemi><bilancoTip>703</bilancoTip>"
         "<ekler><tdhpAktif><tdhpAktifSatiri><kod>100</kod><cd>250</cd></tdhpAktifSatiri>"
         "</tdhpAktif><tdhpAktifDipnot><tdhpAktifDipnotSatiri><deger>Aktif notş</deger>"
         "</tdhpAktifDipnotSatiri></tdhpAktifDipnot><tdhpPasif><tdhpPasifSatiri>"
         "<kod>500</kod><od>1.234,56</od><cd>-7</cd></tdhpPasifSatiri></tdhpPasif>"
         "<tdhpPasifDipnot><tdhpPasifDipnotSatiri><deger>Pasif & <not></deger>"
         "</tdhpPasifDipnotSatiri></tdhpPasifDipnot><tdhpGelirTablosu>"
         "<tdhpGelirTablosuSatiri><kod>6Ş</kod><od>10</od><cd>20</cd>"
         "</tdhpGelirTablosuSatiri></tdhpGelirTablosu><tdhpGelirTablosuDipnot>"
         "<tdhpGelirTablosuDipnotSatiri><deger/></tdhpGelirTablosuDipnotSatiri>"
         "</tdhpGelirTablosuDipnot><kurumOrtaklariYKuruluUyeleri/></ekler><maliBilgiler>"
         "<aktifToplam>5.000</aktifToplam><stoklar>700</stoklar><aktifToplam>6</aktifToplam>"
         "</maliBilgiler></ozel>",
         "<deger>Aktif not\xFE</deger>"},
        {"create mode replaces the old file; empty lines and codes are skipped", "GELIR", "GELIR",
         emptyLines, createNew(""), true, "//beyanname/ozel",
         "<ozel><kazancDetay><ticariKazancBildirimi><ticariKazanclar><ticariKazanc>"
         "<faaliyetKonusu>Toptan</faaliyetKonusu><verilenEk>802</verilenEk></ticariKazanc>"
         "</ticariKazanclar></ticariKazancBildirimi></kazancDetay><ekler>"
         "<ayrintiliBilancoGelirTablosu><ayrintiliBilanco><ABsatiri><tip>1</tip><kod>100</kod>"
         "<od>1</od></ABsatiri></ayrintiliBilanco><ayrintiliGelirTablosu/>"
         "</ayrintiliBilancoGelirTablosu></ekler><performans/></ozel>"},
        {"other types get the header only", "XYZ", "XYZ", kIncomeTaxBody, createNew(""), false,
         "//beyanname/ozel", "<ozel><ekler/></ozel>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.oldFile)
            test::writeBytes(target(c.fileType), fixture);
        const auto outcome = run(writeInfo(c.type, c.body, info), c.choices);
        ASSERT_EQ(outcome.end, RunEnd::Completed) << outcome.cause;
        EXPECT_EQ(outcome.targetXmlPath, "D:\\ebyn\\beyannameler\\1234567890\\034260_1234567890_" +
                                             c.fileType + "_10_2023.xml");
        const std::string bytes = test::readBytes(target(c.fileType));
        EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"ISO-8859-9\"?>\r\n", 0), 0u);
        EXPECT_EQ(textconv::cleanXmlFile(bytes), bytes);
        EXPECT_NE(bytes.find("<soyadi>\xDE"
                             "AH\xDDN</soyadi>"),
                  std::string::npos);
        EXPECT_NE(bytes.find(c.savedBytes), std::string::npos) << c.savedBytes;
        EXPECT_EQ(compactXml(Document::parse(bytes).selectSingleNode(c.section)), c.expected);
    }
}

// A run for the same enterprise rebuilds exactly what the previous one wrote.
TEST_F(ConversionRunTest, SecondRunOfTheSameInfoFileLeavesTheFileByteIdentical) {
    struct Case {
        std::string type, fileType;
        const std::vector<std::string>& body;
        RunChoices first, again;
    };
    const std::string euroTitle = "\xE2\x82\xAC Ticaret \"A\"";  // € cannot be held by ISO-8859-9
    const std::vector<Case> cases{
        {"GELIR", "GELIR", kIncomeTaxBody, createNew(kTitle), addExisting(kTitle)},
        {"GELIR", "GELIR", kIncomeTaxBody, createNew(euroTitle), addExisting(euroTitle)},
        {"GELIR-OZET", "GELIR", kBusinessSummaryBody, createNew(kTitle), addExisting(kTitle)},
        {"KURUMLAR", "KURUMLAR", kCorporateTaxBody, withoutEnterprise(Mode::CreateNew),
         withoutEnterprise(Mode::AddToExisting)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type + " " + c.first.fields.title);
        const auto header = writeInfo(c.type, c.body);
        ASSERT_EQ(run(header, c.first).end, RunEnd::Completed);
        const std::string first = test::readBytes(target(c.fileType));
        const auto again = run(header, c.again);
        ASSERT_EQ(again.end, RunEnd::Completed) << again.cause;
        EXPECT_EQ(test::readBytes(target(c.fileType)), first);
        fs::remove(target(c.fileType));
    }
}

TEST_F(ConversionRunTest, AddForAnExistingEnterpriseKeepsEverythingElse) {
    test::writeBytes(target("GELIR"), fixture);
    const auto header = writeInfo(
        "GELIR",
        {record({"1", "100", "5", "6"}), record({"3", "610", "7", "8"}), record({"4", "2", "50"})});
    const auto outcome = run(header, addExisting(kTitle, {kTitle, kOtherTitle}));
    ASSERT_EQ(outcome.end, RunEnd::Completed) << outcome.cause;

    const Document before = Document::parse(fixture);
    const std::string bytes = test::readBytes(target("GELIR"));
    const Document after = Document::parse(bytes);
    ASSERT_FALSE(after.empty());
    for (const char* unchanged :
         {"//beyanname/genel", "//ticariKazanclar", "//kazancDetay/digerKazanc"})
        EXPECT_EQ(compactXml(after.selectSingleNode(unchanged)),
                  compactXml(before.selectSingleNode(unchanged)))
            << unchanged;
    // The root keeps its four attributes (the library writes the namespace first).
    const std::string rootLine = bytes.substr(0, bytes.find(">\r\n  <genel>"));
    for (const char* attribute : {" kodVer=\"GELIR_10\"", " paraBirimi=\"YTL\"",
                                  " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"",
                                  " xsi:noNamespaceSchemaLocation=\"GELIR_10.xsd\""})
        EXPECT_NE(rootLine.find(attribute), std::string::npos) << attribute;
    // Rows match on the exact title: the one whose title has a trailing space is another's.
    const std::string a = "<unvani>" + kTitle + "</unvani>";
    const std::string b = "<unvani>" + kOtherTitle + "</unvani>";
    EXPECT_EQ(compactXml(after.selectSingleNode("//ayrintiliBilanco")),
              "<ayrintiliBilanco><ABsatiri>" + b +
                  "<tip>2</tip><kod>101</kod></ABsatiri><ABsatiri><unvani>" + kTitle +
                  " </unvani><tip>2</tip><kod>102</kod></ABsatiri><ABsatiri>" + a +
                  "<tip>1</tip><kod>100</kod><od>5</od><cd>6</cd></ABsatiri></ayrintiliBilanco>");
    EXPECT_EQ(compactXml(after.selectSingleNode("//ayrintiliGelirTablosu")),
              "<ayrintiliGelirTablosu><AGTsatiri>" + b + "<kod>601</kod></AGTsatiri><AGTsatiri>" +
                  a + "<kod>610</kod><od>7</od><cd>8</cd></AGTsatiri></ayrintiliGelirTablosu>");
    // Every performance item goes; the new one is made again at the end of ozel.
    const auto ozel = after.selectSingleNode("//beyanname/ozel").childElements();
    ASSERT_EQ(ozel.size(), 3u);
    EXPECT_EQ(compactXml(ozel.back()),
              "<performans><satisMaliyeti>50</satisMaliyeti></performans>");
}

TEST_F(ConversionRunTest, AppendTargetMissingCreatesTheFoldersOnly) {
    test::writeBytes(drive.root() / "ebyn" / "marker", "x");
    const auto outcome = run(writeInfo("GELIR", kIncomeTaxBody), addExisting("T"));
    EXPECT_EQ(outcome.end, RunEnd::AppendTargetMissing);
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_EQ(test::readBytes(drive.root() / "ebyn" / "marker"), "x");
}

TEST_F(ConversionRunTest, DryRunCreatesAndWritesNothing) {
    RunChoices choices = createNew("T");
    choices.dryRun = true;
    const auto outcome = run(writeInfo("GELIR", kIncomeTaxBody), choices);
    ASSERT_EQ(outcome.end, RunEnd::Completed) << outcome.cause;
    EXPECT_FALSE(fs::exists(drive.root() / "ebyn"));
    EXPECT_EQ(Document::parse(outcome.document).selectNodes({}, "//ABsatiri").size(), 2u);
}

// Every way a run can stop short leaves the declaration as it was, byte for byte.
TEST_F(ConversionRunTest, FailedRunsLeaveTheOldFileUntouched) {
    const std::string unparsable = "<beyanname>\r\n<ozel>\r\n</beyanname>\r\n";
    std::string parserMessage;
    Document::parse(unparsable, &parserMessage);
    ASSERT_FALSE(parserMessage.empty());
    Document corporate = test::skeletonDocument("KURUMLAR");
    const auto liabilities = corporate.selectSingleNode("//tdhpPasif");
    liabilities.parent().removeChild(liabilities);
    const std::string corporateWithoutLiabilities = corporate.serialize();
    const std::vector<std::string> shortRecord{record({"1", "100", "1", "2"}),
                                               record({"1", "100", "5"})};
    RunChoices emptyEntry = createNew("T");
    emptyEntry.enterprise.listIndex = 1;

    const struct {
        const char* name;
        std::string type;  // of the info file
        std::string oldFile;
        std::vector<std::string> body;
        RunChoices choices;
        RunEnd end;
        std::string causePart;
        std::string infoPathOverride = {};
    } cases[] = {
        {"declaration does not parse", "GELIR", unparsable, kIncomeTaxBody, addExisting(kTitle),
         RunEnd::Failed, parserMessage},
        {"declaration with a document type", "GELIR", "<!DOCTYPE beyanname>\r\n<beyanname/>",
         kIncomeTaxBody, addExisting(kTitle), RunEnd::Failed, "document type"},
        {"no ticariKazanclar for a new record", "GELIR", "<beyanname><ozel/></beyanname>",
         kIncomeTaxBody, addNew("T", {}), RunEnd::Failed, std::string(kTicariKazanclarPath)},
        {"short record after a good one", "GELIR", fixture, shortRecord, addExisting(kTitle),
         RunEnd::Failed, "line 14"},
        {"short record in create mode", "GELIR", fixture, shortRecord, createNew("T"),
         RunEnd::Failed, "line 14"},
        {"summary record without a summary", "GELIR-OZET", fixture, kBusinessSummaryBody,
         addExisting(kTitle), RunEnd::Failed,
         "line 13: the declaration has no //beyanname/ozel/ekler/isletmeHesapOzetleri"},
        {"corporate tax table missing", "KURUMLAR", corporateWithoutLiabilities, kCorporateTaxBody,
         withoutEnterprise(Mode::AddToExisting), RunEnd::Failed,
         "//beyanname/ozel/ekler/tdhpPasif"},
        {"info file missing", "GELIR", fixture, kIncomeTaxBody, addExisting(kTitle), RunEnd::Failed,
         "D:\\yok.txt", "D:\\yok.txt"},
        {"info file shorter than its header", "GELIR", fixture, kIncomeTaxBody, addExisting(kTitle),
         RunEnd::Failed, "12", "D:\\kisa.txt"},
        {"duplicate title", "GELIR", fixture, kIncomeTaxBody,
         addNew(kOtherTitle, {kTitle, kOtherTitle}), RunEnd::DuplicateTitle, ""},
        {"empty list entry in create mode", "GELIR", fixture, kIncomeTaxBody, emptyEntry,
         RunEnd::NothingChosen, ""},
    };
    test::writeBytes(drive.root() / "kisa.txt", test::infoFileText({"1\xB3"
                                                                    "2023\xB3GELIR",
                                                                    "2", "3"}));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto header = writeInfo(c.type, c.body);
        const std::string fileType = header.type();
        fs::create_directories(folder);
        for (const auto& entry : fs::directory_iterator(folder))
            fs::remove(entry.path());
        test::writeBytes(target(fileType), c.oldFile);

        const auto outcome = ConversionRun(
            header, c.infoPathOverride.empty() ? infoPath : c.infoPathOverride, c.choices);
        EXPECT_EQ(outcome.end, c.end) << outcome.cause;
        EXPECT_NE(outcome.cause.find(c.causePart), std::string::npos) << outcome.cause;
        EXPECT_EQ(test::readBytes(target(fileType)), c.oldFile);
        std::size_t files = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder))
            ++files;
        EXPECT_EQ(files, 1u) << "no temporary file stays behind";
    }
}

TEST_F(ConversionRunTest, ReadOnlyDeclarationFailsAtTheSave) {
    test::writeBytes(target("GELIR"), fixture);
    fs::permissions(target("GELIR"), fs::perms(0444));
    const auto outcome = run(writeInfo("GELIR", kIncomeTaxBody), addExisting(kTitle));
    EXPECT_EQ(outcome.end, RunEnd::Failed);
    EXPECT_NE(outcome.cause.find(outcome.targetXmlPath), std::string::npos) << outcome.cause;
    EXPECT_EQ(test::readBytes(target("GELIR")), fixture);
}

// Header values become folder and file names: one that could lead out of the taxpayer's
// folder, or that no file name may hold, stops the run before any folder is made; so does a
// drive text that is no drive letter.
TEST_F(ConversionRunTest, TargetThatCannotBeNamedFailsBeforeAnythingIsWritten) {
    const auto header = writeInfo("KURUMLAR", kCorporateTaxBody);
    const struct {
        std::string DeclarationHeader::*field;
        std::string value;
    } cases[] = {
        {&DeclarationHeader::folderTaxNo, ".."},
        {&DeclarationHeader::folderTaxNo, "12\\..\\..\\x"},
        {&DeclarationHeader::taxOfficeCode, "a/b"},
        {&DeclarationHeader::periodText, "2023?"},
        {&DeclarationHeader::declarationType, "KURUMLAR\t"},
    };
    for (const auto& c : cases) {
        DeclarationHeader changed = header;
        changed.*c.field = c.value;
        const auto outcome = run(changed, withoutEnterprise(Mode::CreateNew));
        EXPECT_EQ(outcome.end, RunEnd::Failed) << c.value;
        EXPECT_NE(outcome.cause.find("cannot be part of a file name"), std::string::npos)
            << outcome.cause;
    }
    for (const std::string driveText : {"Q", "", "DD"}) {
        RunChoices choices = withoutEnterprise(Mode::CreateNew);
        choices.driveText = driveText;
        EXPECT_EQ(run(header, choices).end, RunEnd::Failed) << driveText;
    }
    EXPECT_FALSE(fs::exists(drive.root() / "ebyn"));
}

}  // namespace
}  // namespace kovrel::conversion
