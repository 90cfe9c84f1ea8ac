#include "conversion/conversion_run.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "conversion/messages.h"
#include "conversion/target_path.h"
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
const std::string kSpaces15(15, ' ');

class ConversionRunTest : public ::testing::Test {
  protected:
    test::TempDrive drive{"d"};
    const std::string infoPath = "D:\\beyan.txt";
    fs::path folder = drive.root() / "ebyn" / "beyannameler" / "1234567890";

    void SetUp() override {
#ifdef _WIN32
        GTEST_SKIP() << "a Windows process keeps the drive letters it was started with";
#endif
    }

    // Writes beyan.txt and returns its header as start-up reads it.
    DeclarationHeader writeInfo(const std::string& type, const std::vector<std::string>& body) {
        test::InfoHeader header;
        header.type = type;
        test::writeBytes(drive.root() / "beyan.txt", test::infoFileText(header, body));
        return readHeader();
    }
    DeclarationHeader readHeader() {
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

RunChoices createNew(const std::string& title) {
    RunChoices c;
    c.driveText = "D";
    c.mode = Mode::CreateNew;
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
    RunChoices c;
    c.driveText = "D";
    c.mode = Mode::AddToExisting;
    if (listed.empty())
        listed = {title};
    c.enterprise = {2, title, std::move(listed)};
    return c;
}

RunChoices withoutEnterprise(Mode mode) {
    RunChoices c;
    c.driveText = "D";
    c.mode = mode;
    return c;
}

const std::vector<std::string> kIncomeTaxBody{
    record({"1", "100", "1.000,00", ""}),   record({" 2 ", " 500 ", " ", "2.000,00 "}),
    record({"3", "600", "5.000,00", "-1"}), record({"4", "1", "7.500,00"}),
    record({"4", "7", "12.000,00"}),
};

const std::vector<std::string> kBusinessSummaryBody{
    record({"10", kSpaces15 + "       1.234,50"}),
    record({"20", "         100,00        200,00 "}),
    record({"50"}),
    record({"60", "          12345" + std::string("67") + std::string(13, ' ')}),
    record({" 10", "          12345" + std::string("67") + std::string(13, ' ')}),
    record({"81", "125"}),
    record({"4", "1", "300"}),
};

const std::vector<std::string> kCorporateTaxBody{
    record({"1", "100", "", "250"}),  record({"2", "500", "1.234,56", "-7"}),
    record({"3", "600", "10", "20"}), record({"11", "Aktif not\x9F"}),
    record({"12", "Pasif & <not>"}),  record({"13", ""}),
    record({"4", "1", "5.000"}),      record({"4", "16", "9"}),
    record({"4", "5", "700"}),
};

bool everyLineEndIsCrLf(const std::string& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            return false;
        if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))
            return false;
    }
    return !bytes.empty() && bytes.back() == '\n';
}

TEST_F(ConversionRunTest, CreateIncomeTaxWithANewRecord) {
    test::InfoHeader info;
    info.surname =
        "\x9E"
        "AH\x98N";  // ŞAHİN in code page 857
    test::writeBytes(drive.root() / "beyan.txt", test::infoFileText(info, kIncomeTaxBody));
    RunChoices choices = createNew(kTitle);
    choices.fields.profit = "1.000,00";
    const auto outcome = run(readHeader(), choices);

    ASSERT_EQ(outcome.end, RunEnd::Completed) << outcome.cause;
    EXPECT_EQ(outcome.targetXmlPath,
              "D:\\ebyn\\beyannameler\\1234567890\\034260_1234567890_GELIR_10_2023.xml");
    const std::string saved = test::readBytes(target("GELIR"));
    EXPECT_EQ(saved.rfind("<?xml version=\"1.0\" encoding=\"ISO-8859-9\"?>\r\n", 0), 0u);
    EXPECT_TRUE(everyLineEndIsCrLf(saved));
    EXPECT_EQ(textconv::cleanXmlFile(saved), saved);
    EXPECT_NE(saved.find("<soyadi>\xDE"
                         "AH\xDDN</soyadi>"),
              std::string::npos);
    EXPECT_NE(saved.find("Ortaklar\xFD"), std::string::npos);  // ı in ISO-8859-9

    const Document doc = Document::parse(saved);
    ASSERT_FALSE(doc.empty());
    EXPECT_EQ(compactXml(doc.selectSingleNode("//ticariKazanclar")),
              "<ticariKazanclar><ticariKazanc><unvani>" + kTitle +
                  "</unvani><faaliyetKonusu>Toptan</faaliyetKonusu><verilenEk>802</verilenEk>"
                  "<kar>1.000,00</kar></ticariKazanc></ticariKazanclar>");
    const std::string u = "<unvani>" + kTitle + "</unvani>";
    EXPECT_EQ(compactXml(doc.selectSingleNode("//ayrintiliBilanco")),
              "<ayrintiliBilanco><ABsatiri>" + u +
                  "<tip>1</tip><kod>100</kod><od>1.000,00</od></ABsatiri><ABsatiri>" + u +
                  "<tip>2</tip><kod>500</kod><cd>2.000,00</cd></ABsatiri></ayrintiliBilanco>");
    EXPECT_EQ(compactXml(doc.selectSingleNode("//ayrintiliGelirTablosu")),
              "<ayrintiliGelirTablosu><AGTsatiri>" + u +
                  "<kod>600</kod><od>5.000,00</od><cd>-1</cd></AGTsatiri></ayrintiliGelirTablosu>");
    EXPECT_EQ(compactXml(doc.selectSingleNode("//ozel/performans")),
              "<performans><netSatis>7.500,00</netSatis><aktifToplami>12.000,00</aktifToplami>"
              "</performans>");
}

TEST_F(ConversionRunTest, CreateBusinessSummaryAppliesTheTrimmingRule) {
    const auto header = writeInfo("gelir-ozet", kBusinessSummaryBody);
    ASSERT_TRUE(header.usesBusinessSummary);
    const auto outcome = run(header, createNew("T"));
    ASSERT_EQ(outcome.end, RunEnd::Completed) << outcome.cause;
    const Document doc = Document::parse(test::readBytes(target("GELIR")));
    EXPECT_EQ(compactXml(doc.selectSingleNode("//isletmeHesapOzetleri")),
              "<isletmeHesapOzetleri><isletmeHesapOzeti><unvani>T</unvani>"
              "<donemBasiEM/><donemIciEEH>1.234,50</donemIciEEH>"
              "<donemIciSE>100,00</donemIciSE><digerGelir>200,00</digerGelir>"
              "<gider>12345</gider><donemSonuE>67</donemSonuE>"
              "<donemBasiEM>1234567</donemBasiEM><donemIciEEH>1234567</donemIciEEH>"
              "<kar>125</kar><zarar>125</zarar></isletmeHesapOzeti></isletmeHesapOzetleri>");
    EXPECT_EQ(compactXml(doc.selectSingleNode("//ticariKazanc/verilenEk")),
              "<verilenEk>801</verilenEk>");
    EXPECT_EQ(compactXml(doc.selectSingleNode("//ozel/performans")),
              "<performans><netSatis>300</netSatis></performans>");
}

TEST_F(ConversionRunTest, CreateCorporateTax) {
    const auto outcome =
        run(writeInfo("KURUMLAR", kCorporateTaxBody), withoutEnterprise(Mode::CreateNew));
    ASSERT_EQ(outcome.end, RunEnd::Completed) << outcome.cause;
    const std::string saved = test::readBytes(target("KURUMLAR"));
    EXPECT_TRUE(everyLineEndIsCrLf(saved));
    EXPECT_NE(saved.find("Aktif not\xFE"), std::string::npos);  // ş in ISO-8859-9
    const Document doc = Document::parse(saved);
    EXPECT_EQ(compactXml(doc.selectSingleNode("//beyanname/ozel")),
              "<ozel><kazancinTespitYontemi>1</kazancinTespitYontemi><bilancoTip>703</bilancoTip>"
              "<ekler><tdhpAktif><tdhpAktifSatiri><kod>100</kod><cd>250</cd></tdhpAktifSatiri>"
              "</tdhpAktif><tdhpAktifDipnot><tdhpAktifDipnotSatiri><deger>Aktif notş</deger>"
              "</tdhpAktifDipnotSatiri></tdhpAktifDipnot><tdhpPasif><tdhpPasifSatiri>"
              "<kod>500</kod><od>1.234,56</od><cd>-7</cd></tdhpPasifSatiri></tdhpPasif>"
              "<tdhpPasifDipnot><tdhpPasifDipnotSatiri><deger>Pasif & <not></deger>"
              "</tdhpPasifDipnotSatiri></tdhpPasifDipnot><tdhpGelirTablosu>"
              "<tdhpGelirTablosuSatiri><kod>600</kod><od>10</od><cd>20</cd>"
              "</tdhpGelirTablosuSatiri></tdhpGelirTablosu><tdhpGelirTablosuDipnot>"
              "<tdhpGelirTablosuDipnotSatiri><deger/></tdhpGelirTablosuDipnotSatiri>"
              "</tdhpGelirTablosuDipnot><kurumOrtaklariYKuruluUyeleri/></ekler><maliBilgiler>"
              "<aktifToplam>5.000</aktifToplam><stoklar>700</stoklar></maliBilgiler></ozel>");
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
    const auto header = writeInfo("GELIR", kIncomeTaxBody);
    ASSERT_EQ(run(header, createNew(euroTitle)).end, RunEnd::Completed);
    EXPECT_NE(test::readBytes(target("GELIR")).find("&#8364; Ticaret"), std::string::npos);
}

TEST_F(ConversionRunTest, AddForAnExistingEnterpriseKeepsEverythingElse) {
    const std::string fixture =
        test::readBytes(fs::path(KOVREL_TEST_DATA) / "conversion" / "gelir_two_enterprises.xml");
    ASSERT_FALSE(fixture.empty());
    test::writeBytes(target("GELIR"), fixture);
    const auto header = writeInfo(
        "GELIR",
        {record({"1", "100", "5", "6"}), record({"3", "610", "7", "8"}), record({"4", "2", "50"})});
    const auto outcome = run(header, addExisting(kTitle, {kTitle, kOtherTitle}));
    ASSERT_EQ(outcome.end, RunEnd::Completed) << outcome.cause;

    const Document before = Document::parse(fixture);
    const Document after = Document::parse(test::readBytes(target("GELIR")));
    ASSERT_FALSE(after.empty());
    for (const char* unchanged :
         {"//beyanname/genel", "//ticariKazanclar", "//kazancDetay/digerKazanc"})
        EXPECT_EQ(compactXml(after.selectSingleNode(unchanged)),
                  compactXml(before.selectSingleNode(unchanged)))
            << unchanged;
    // The root keeps its four attributes (the library writes the namespace first).
    const std::string saved = test::readBytes(target("GELIR"));
    const std::string rootLine = saved.substr(0, saved.find(">\r\n  <genel>"));
    for (const char* attribute : {" kodVer=\"GELIR_10\"", " paraBirimi=\"YTL\"",
                                  " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"",
                                  " xsi:noNamespaceSchemaLocation=\"GELIR_10.xsd\""})
        EXPECT_NE(rootLine.find(attribute), std::string::npos) << attribute;
    const std::string a = "<unvani>" + kTitle + "</unvani>";
    const std::string b = "<unvani>" + kOtherTitle + "</unvani>";
    EXPECT_EQ(compactXml(after.selectSingleNode("//ayrintiliBilanco")),
              "<ayrintiliBilanco><ABsatiri>" + b +
                  "<tip>2</tip><kod>101</kod></ABsatiri><ABsatiri>" + a +
                  "<tip>1</tip><kod>100</kod><od>5</od><cd>6</cd></ABsatiri></ayrintiliBilanco>");
    EXPECT_EQ(compactXml(after.selectSingleNode("//ayrintiliGelirTablosu")),
              "<ayrintiliGelirTablosu><AGTsatiri>" + b + "<kod>601</kod></AGTsatiri><AGTsatiri>" +
                  a + "<kod>610</kod><od>7</od><cd>8</cd></AGTsatiri></ayrintiliGelirTablosu>");
    const auto ozel = after.selectSingleNode("//beyanname/ozel").childElements();
    ASSERT_EQ(ozel.size(), 3u);
    EXPECT_EQ(compactXml(ozel.back()),
              "<performans><satisMaliyeti>50</satisMaliyeti></performans>");
}

TEST_F(ConversionRunTest, AddANewRecordBesideTheExistingOnes) {
    test::writeBytes(target("GELIR"), test::readBytes(fs::path(KOVREL_TEST_DATA) / "conversion" /
                                                      "gelir_two_enterprises.xml"));
    const auto header = writeInfo("GELIR", {record({"1", "102", "1", ""})});
    const auto outcome = run(header, addNew("ali \"kaya\"", {kTitle, kOtherTitle}));
    ASSERT_EQ(outcome.end, RunEnd::Completed) << outcome.cause;
    const Document after = Document::parse(test::readBytes(target("GELIR")));
    EXPECT_EQ(after.selectNodes({}, "//ticariKazanclar/ticariKazanc").size(), 3u);
    EXPECT_EQ(after.selectNodes({}, "//ayrintiliBilanco/ABsatiri").size(), 3u);
    EXPECT_EQ(
        compactXml(after.selectSingleNode("//ayrintiliBilanco/ABsatiri[3]")),
        "<ABsatiri><unvani>ali \"kaya\"</unvani><tip>1</tip><kod>102</kod><od>1</od></ABsatiri>");
    // A new record leaves the performance items of the file alone.
    EXPECT_EQ(compactXml(after.selectSingleNode("//ozel/performans")),
              "<performans><netSatis>99</netSatis></performans>");
}

TEST_F(ConversionRunTest, CreateModeReplacesAnExistingFile) {
    test::writeBytes(target("GELIR"), test::readBytes(fs::path(KOVREL_TEST_DATA) / "conversion" /
                                                      "gelir_two_enterprises.xml"));
    const auto outcome = run(writeInfo("GELIR", {record({"1", "100", "1", ""})}), createNew("T"));
    ASSERT_EQ(outcome.end, RunEnd::Completed) << outcome.cause;
    const Document doc = Document::parse(test::readBytes(target("GELIR")));
    EXPECT_EQ(compactXml(doc.selectSingleNode("//ticariKazanclar")),
              "<ticariKazanclar><ticariKazanc><unvani>T</unvani><faaliyetKonusu>Toptan"
              "</faaliyetKonusu><verilenEk>802</verilenEk></ticariKazanc></ticariKazanclar>");
    EXPECT_EQ(doc.selectNodes({}, "//ABsatiri").size(), 1u);
    EXPECT_FALSE(doc.selectSingleNode("//digerKazanc"));
    EXPECT_EQ(doc.selectSingleNode("//mukellef/soyadi").text(), "YILMAZ");
}

TEST_F(ConversionRunTest, EmptyBodyLinesAndEmptyCodesAreSkipped) {
    const auto header =
        writeInfo("GELIR", {record({"1", "100", "1", ""}), "", record({"", "x", "y"}), "   ",
                            record({" ", "1", "2", "3"}), record({"3", "600", "", "2"}), ""});
    const auto outcome = run(header, createNew(""));
    ASSERT_EQ(outcome.end, RunEnd::Completed) << outcome.cause;
    const Document doc = Document::parse(test::readBytes(target("GELIR")));
    EXPECT_EQ(compactXml(doc.selectSingleNode("//ayrintiliBilancoGelirTablosu")),
              "<ayrintiliBilancoGelirTablosu><ayrintiliBilanco><ABsatiri><tip>1</tip><kod>100</kod>"
              "<od>1</od></ABsatiri></ayrintiliBilanco><ayrintiliGelirTablosu><AGTsatiri>"
              "<kod>600</kod><cd>2</cd></AGTsatiri></ayrintiliGelirTablosu>"
              "</ayrintiliBilancoGelirTablosu>");
    EXPECT_EQ(compactXml(doc.selectSingleNode("//ticariKazanclar")),
              "<ticariKazanclar><ticariKazanc><faaliyetKonusu>Toptan</faaliyetKonusu>"
              "<verilenEk>802</verilenEk></ticariKazanc></ticariKazanclar>");
}

TEST_F(ConversionRunTest, HeaderOnlyAndOtherTypes) {
    struct Case {
        std::string type;
        std::vector<std::string> body;
        std::string ozel;
    };
    const std::vector<Case> cases{
        {"GELIR",
         {},
         "<ozel><kazancDetay><ticariKazancBildirimi><ticariKazanclar><ticariKazanc>"
         "<faaliyetKonusu>Toptan</faaliyetKonusu><verilenEk>802</verilenEk></ticariKazanc>"
         "</ticariKazanclar></ticariKazancBildirimi></kazancDetay><ekler>"
         "<ayrintiliBilancoGelirTablosu><ayrintiliBilanco/><ayrintiliGelirTablosu/>"
         "</ayrintiliBilancoGelirTablosu></ekler><performans/></ozel>"},
        {"XYZ", {record({"1", "100"}), record({"4"}), ""}, "<ozel><ekler/></ozel>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        const auto outcome = run(writeInfo(c.type, c.body), createNew(""));
        ASSERT_EQ(outcome.end, RunEnd::Completed) << outcome.cause;
        const Document doc = Document::parse(test::readBytes(target(c.type)));
        EXPECT_EQ(compactXml(doc.selectSingleNode("//beyanname/ozel")), c.ozel);
    }
}

TEST_F(ConversionRunTest, AppendTargetMissingCreatesTheFoldersOnly) {
    fs::create_directories(drive.root() / "ebyn");
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
    const Document doc = Document::parse(outcome.document);
    EXPECT_EQ(doc.selectNodes({}, "//ABsatiri").size(), 2u);
}

// A value line longer than any 16-bit limit is carried through a run unchanged.
TEST_F(ConversionRunTest, LongLinesInTheDeclarationAreKept) {
    const std::string longText(40000, 'x');
    std::string fixture =
        test::readBytes(fs::path(KOVREL_TEST_DATA) / "conversion" / "gelir_two_enterprises.xml");
    const std::string anchor = "<digerKazanc>";
    fixture.insert(fixture.find(anchor) + anchor.size(), longText);
    test::writeBytes(target("GELIR"), fixture);
    const auto outcome = run(writeInfo("GELIR", kIncomeTaxBody), addExisting(kOtherTitle));
    ASSERT_EQ(outcome.end, RunEnd::Completed) << outcome.cause;
    const Document doc = Document::parse(test::readBytes(target("GELIR")));
    EXPECT_EQ(doc.selectSingleNode("//digerKazanc").text(), longText + "elle yazıldı");
}

// Every way a run can stop short leaves the declaration as it was, byte for byte.
TEST_F(ConversionRunTest, FailedRunsLeaveTheOldFileUntouched) {
    const std::string incomeFixture =
        test::readBytes(fs::path(KOVREL_TEST_DATA) / "conversion" / "gelir_two_enterprises.xml");
    const std::string unparsable =
        "<?xml version=\"1.0\" "
        "encoding=\"ISO-8859-9\"?>\r\n<beyanname>\r\n<ozel>\r\n</beyanname>\r\n";
    std::string parserMessage;
    Document::parse(unparsable, &parserMessage);
    ASSERT_FALSE(parserMessage.empty());

    std::string corporateWithoutLiabilities;
    {
        Document doc = test::skeletonDocument("KURUMLAR");
        const auto table = doc.selectSingleNode("//tdhpPasif");
        table.parent().removeChild(table);
        corporateWithoutLiabilities = doc.serialize();
    }

    struct Case {
        const char* name;
        std::string type;  // of the info file
        std::string oldFile;
        std::vector<std::string> body;
        RunChoices choices;
        RunEnd end;
        std::string causePart;
        std::string infoPathOverride = {};
    };
    const std::vector<Case> cases{
        {"declaration does not parse", "GELIR", unparsable, kIncomeTaxBody, addExisting(kTitle),
         RunEnd::Failed, parserMessage},
        {"declaration with a document type", "GELIR",
         "<?xml version=\"1.0\"?>\r\n<!DOCTYPE beyanname [<!ENTITY e \"x\">]>\r\n<beyanname/>\r\n",
         kIncomeTaxBody, addExisting(kTitle), RunEnd::Failed, "document type"},
        {"no ticariKazanclar for a new record", "GELIR",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-9\"?>\r\n<beyanname>\r\n  "
         "<ozel/>\r\n</beyanname>\r\n",
         kIncomeTaxBody, addNew("T", {}), RunEnd::Failed,
         "//beyanname/ozel/kazancDetay/ticariKazancBildirimi/ticariKazanclar"},
        {"short income tax record",
         "GELIR",
         incomeFixture,
         {record({"1", "100", "1", "2"}), record({"1", "100", "5"})},
         addExisting(kTitle),
         RunEnd::Failed,
         "line 14"},
        {"summary record without a summary",
         "GELIR-OZET",
         incomeFixture,
         {record({"4", "1", "5"}), record({"81", "1"})},
         addExisting(kTitle),
         RunEnd::Failed,
         "line 14"},
        {"summary record names the missing path",
         "GELIR-OZET",
         incomeFixture,
         {record({"81", "1"})},
         addExisting(kTitle),
         RunEnd::Failed,
         "//beyanname/ozel/ekler/isletmeHesapOzetleri/isletmeHesapOzeti"},
        {"short record in create mode",
         "GELIR",
         incomeFixture,
         {record({"3", "600"})},
         createNew("T"),
         RunEnd::Failed,
         "line 13"},
        {"missing table in create mode",
         "GELIR-OZET",
         incomeFixture,
         {record({"3", "600", "1", "2"})},
         createNew("T"),
         RunEnd::Failed,
         "ayrintiliGelirTablosu"},
        {"corporate tax table missing",
         "KURUMLAR",
         corporateWithoutLiabilities,
         {record({"1", "1", "2", "3"})},
         withoutEnterprise(Mode::AddToExisting),
         RunEnd::Failed,
         "//beyanname/ozel/ekler/tdhpPasif"},
        {"short corporate tax footnote",
         "KURUMLAR",
         corporateWithoutLiabilities,
         {record({"11"})},
         withoutEnterprise(Mode::CreateNew),
         RunEnd::Failed,
         "line 13"},
        {"info file missing", "GELIR", incomeFixture, kIncomeTaxBody, addExisting(kTitle),
         RunEnd::Failed, "D:\\yok.txt", "D:\\yok.txt"},
        {"info file shorter than its header", "GELIR", incomeFixture, kIncomeTaxBody,
         addExisting(kTitle), RunEnd::Failed, "12", "D:\\kisa.txt"},
        {"duplicate title", "GELIR", incomeFixture, kIncomeTaxBody,
         addNew(kOtherTitle, {kTitle, kOtherTitle}), RunEnd::DuplicateTitle, ""},
        {"empty list entry in create mode", "GELIR", incomeFixture, kIncomeTaxBody,
         [] {
             RunChoices c = createNew("T");
             c.enterprise.listIndex = 1;
             return c;
         }(),
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
        if (!c.causePart.empty()) {
            EXPECT_NE(outcome.cause.find(c.causePart), std::string::npos) << outcome.cause;
        }
        EXPECT_EQ(test::readBytes(target(fileType)), c.oldFile);
        std::size_t files = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder))
            ++files;
        EXPECT_EQ(files, 1u) << "no temporary file stays behind";
    }
}

TEST_F(ConversionRunTest, ReadOnlyDeclarationFailsAtTheSave) {
    const std::string old =
        test::readBytes(fs::path(KOVREL_TEST_DATA) / "conversion" / "gelir_two_enterprises.xml");
    test::writeBytes(target("GELIR"), old);
    fs::permissions(target("GELIR"), fs::perms(0444));
    const auto outcome = run(writeInfo("GELIR", kIncomeTaxBody), addExisting(kTitle));
    EXPECT_EQ(outcome.end, RunEnd::Failed);
    EXPECT_NE(outcome.cause.find(outcome.targetXmlPath), std::string::npos) << outcome.cause;
    EXPECT_EQ(test::readBytes(target("GELIR")), old);
}

TEST_F(ConversionRunTest, FailedCreateRunWritesNoFile) {
    const auto outcome = run(writeInfo("GELIR", {record({"1", "100"})}), createNew("T"));
    EXPECT_EQ(outcome.end, RunEnd::Failed);
    EXPECT_NE(outcome.cause.find("line 13"), std::string::npos) << outcome.cause;
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(ConversionRunTest, UnusableDriveFailsBeforeAnythingIsWritten) {
    const auto header = writeInfo("GELIR", kIncomeTaxBody);
    for (const std::string driveText : {"Q", "", "DD"}) {
        RunChoices choices = createNew("T");
        choices.driveText = driveText;
        const auto outcome = run(header, choices);
        EXPECT_EQ(outcome.end, RunEnd::Failed) << driveText;
        EXPECT_FALSE(outcome.cause.empty());
    }
    EXPECT_FALSE(fs::exists(drive.root() / "ebyn"));
}

// Header values become folder and file names: one that could lead out of the taxpayer's
// folder, or that no file name may hold, stops the run before any folder is made.
TEST_F(ConversionRunTest, HeaderValuesThatCannotNameAFileFailTheRun) {
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
    EXPECT_FALSE(fs::exists(drive.root() / "ebyn"));
}

TEST(TargetPath, FormulaAndFolderSet) {
    DeclarationHeader h;
    h.folderTaxNo = "N";
    h.taxNo = "other";
    h.taxOfficeCode = "V";
    h.declarationType = "gelir";
    h.periodText = " P ";
    EXPECT_EQ(ebynRoot("X"), "X:\\");
    EXPECT_EQ(targetXmlPath(ebynRoot("X"), h), "X:\\ebyn\\beyannameler\\N\\V_N_GELIR_10_ P .xml");
    EXPECT_EQ(folderSet("X:\\", h), (std::vector<std::string>{"X:\\ebyn", "X:\\ebyn\\beyannameler",
                                                              "X:\\ebyn\\beyannameler\\N"}));
}

TEST(TargetPath, EbynDrivesInLetterOrder) {
#ifdef _WIN32
    GTEST_SKIP() << "a Windows process keeps the drive letters it was started with";
#endif
    test::TempDrive drive("fce");
    fs::create_directories(drive.rootOf('f') / "ebyn");
    fs::create_directories(drive.rootOf('c') / "ebyn");
    test::writeBytes(drive.rootOf('e') / "ebyn", "a file, not a folder");
    EXPECT_EQ(ebynDrives(), (std::vector<char>{'C', 'F'}));
}

}  // namespace
}  // namespace kovrel::conversion
