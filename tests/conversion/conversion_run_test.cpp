#include "conversion/conversion_run.h"

#include <gtest/gtest.h>

#include "conversion/enterprise.h"
#include "support/test_support.h"
#include "textconv/text_conv.h"

namespace kovrel::conversion {
namespace {

namespace fs = std::filesystem;
using infofile::DeclarationHeader;
using platform::xml::Document;
using test::compactXml;

const std::string kTitle = "Ali \"Kaya\" 'Ltd' & Ortakları";
const std::string kOtherTitle = "Büyük Ğ Şirketi";
// How every saved declaration starts, up to its type.
const std::string kStart =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-9\"?>\r\n<beyanname "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" kodVer=\"";

class ConversionRunTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(fixture.empty()); }

    // Writes beyan.txt and returns its header as start-up reads it.
    DeclarationHeader writeInfo(const std::string& type, const std::string& body,
                                test::InfoHeader header = {}) {
        header.type = type;
        scene.writeInfo(test::infoFileText(header, body));
        return scene.read().header;
    }

    static RunChoices withoutEnterprise(Mode mode) { return {"D", mode, {}, {}, false}; }
    static RunChoices createNew(const std::string& title, Mode mode = Mode::CreateNew) {
        return {"D", mode, EnterpriseChoice::newRecord(), {title, "Toptan", "", "", "", ""}, false};
    }
    static RunChoices addExisting(const std::string& title) {
        return {"D", Mode::AddToExisting, EnterpriseChoice::existing(title), {}, false};
    }

    const test::Scene scene;
    const fs::path beyannameler = scene.drive.root() / "ebyn" / "beyannameler";
    const std::string fixture =
        test::readBytes(fs::path(KOVREL_TEST_DATA) / "conversion" / "gelir_two_enterprises.xml");
};

// Spaces around fields are trimmed; 4/11 is no performance item and needs no value; a repeated
// item is appended again; 81 belongs to business summaries only.
const std::string kIncomeTaxBody =
    "1|100|1.000,00|\n 2 | 500 | |2.000,00 \n3|600\xDE|5.000,00|-1\n4|1|7.500,00\n"
    "4|7|12.000,00\n4|11\n4|7|1\n81|1\n";

// Summary records keep their spaces: a field holds two columns of 15 characters. " 10" is no
// summary code, so its fields are trimmed first; 81 is, so its are not.
const std::string kTwoColumns = "          1234567             \n";
const std::string kBusinessSummaryBody = "10|" + std::string(15, ' ') +
                                         "       1.234,50\n20|         100,00        200,00 \n"
                                         "50\n60|" +
                                         kTwoColumns + " 10|" + kTwoColumns + "81|" + kTwoColumns +
                                         "4|1|300\n";

// Footnotes are mapped from code page 857, table values taken as ISO-8859-9.
const std::string kCorporateTaxBody =
    "1|100||250\n2|500|1.234,56|-7\n3|6\xDE|10|20\n11|Aktif not\x9F\n12|Pasif & <not>\n13|\n"
    "4|1|5.000\n4|16\n4|5|700\n4|1|6\n";

// Every saved file is ISO-8859-9 with CR LF line ends (so that cleaning changes nothing); its
// header holds the info file's values, each escaped exactly once, the identity twice; its
// sections hold the records. The type is compared in upper case; an identity number that is
// not 11 characters long does not name the folder.
TEST_F(ConversionRunTest, CompletedRunsSaveTheRecords) {
    // The surname is ŞAHİN in code page 857.
    const test::InfoHeader info{.surname = "\x9E\x41H\x98N & Co",
                                .firstName = "<Ali>",
                                .identityNo = "12345678901&",
                                .tradeRegistryNo = "R\"1'<",
                                .email = "a&b@c",
                                .areaCode = "2>1&",
                                .phoneNo = "5<5",
                                .preparerTaxNo = "P&amp;1"};
    const std::string identity =
        "<vergiNo>1234567890</vergiNo><soyadi>ŞAHİN & Co</soyadi><adi><Ali></adi>"
        "<tcKimlikNo>12345678901&</tcKimlikNo><ticSicilNo>R\"1'<</ticSicilNo><eposta>a&b@c</eposta>"
        "<alanKodu>2>1&</alanKodu><telNo>5<5</telNo>";
    RunChoices everyField = createNew(kTitle);
    everyField.fields = {kTitle, "", "50", "1.000,00", "0,00", "15,00"};
    const std::string u = "<unvani>" + kTitle + "</unvani>";
    const std::string emptyLines = "1|100|1|\n\n|x|y\n   \n |1|2|3\n\n";
    const struct {
        const char* name;
        std::string type;
        std::string body;
        RunChoices choices;
        bool oldFile;
        const char* section;
        std::string expected;
        const char* savedBytes = "";
    } cases[] = {
        {"income tax", "GELIR", kIncomeTaxBody, everyField, false, "//beyanname/ozel",
         "<ozel><kazancDetay><ticariKazancBildirimi><ticariKazanclar><ticariKazanc>" + u +
             "<verilenEk>802</verilenEk><payOrani>50</payOrani><kar>1.000,00</kar>"
             "<zarar>0,00</zarar><kgv>15,00</kgv></ticariKazanc></ticariKazanclar>"
             "</ticariKazancBildirimi></kazancDetay><ekler><ayrintiliBilancoGelirTablosu>"
             "<ayrintiliBilanco><ABsatiri>" +
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
        {"business summary", "gelir-ozet", kBusinessSummaryBody, createNew("T"), false,
         "//beyanname/ozel",
         "<ozel><kazancDetay><ticariKazancBildirimi><ticariKazanclar><ticariKazanc>"
         "<unvani>T</unvani><faaliyetKonusu>Toptan</faaliyetKonusu><verilenEk>801</verilenEk>"
         "</ticariKazanc></ticariKazanclar></ticariKazancBildirimi></kazancDetay><ekler>"
         "<isletmeHesapOzetleri><isletmeHesapOzeti><unvani>T</unvani><donemBasiEM/>"
         "<donemIciEEH>1.234,50</donemIciEEH><donemIciSE>100,00</donemIciSE>"
         "<digerGelir>200,00</digerGelir><gider>12345</gider><donemSonuE>67</donemSonuE>"
         "<donemBasiEM>1234567</donemBasiEM><donemIciEEH>1234567</donemIciEEH><kar>12345</kar>"
         "<zarar>67</zarar></isletmeHesapOzeti></isletmeHesapOzetleri></ekler><performans>"
         "<netSatis>300</netSatis></performans></ozel>"},
        {"corporate tax", "Kurumlar", kCorporateTaxBody, withoutEnterprise(Mode::CreateNew), false,
         "//beyanname/ozel",
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
        // The three rows of the old file are gone; a row without a title has no unvani.
        {"create mode replaces the old file; empty lines and codes are skipped", "GELIR",
         emptyLines, createNew(""), true, "//ayrintiliBilanco",
         "<ayrintiliBilanco><ABsatiri><tip>1</tip><kod>100</kod><od>1</od></ABsatiri>"
         "</ayrintiliBilanco>"},
        {"other types get the header only", "XYZ", kIncomeTaxBody, createNew(""), false,
         "//beyanname/ozel", "<ozel><ekler/></ozel>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto header = writeInfo(c.type, c.body, info);
        const fs::path file =
            beyannameler / "1234567890" / ("034260_1234567890_" + header.type() + "_10_2023.xml");
        if (c.oldFile)
            test::writeBytes(file, fixture);
        const auto outcome = scene.run(c.choices);
        ASSERT_EQ(outcome.end, RunEnd::Completed) << outcome.cause;
        EXPECT_EQ(outcome.targetXmlPath,
                  "D:\\ebyn\\beyannameler\\1234567890\\" + file.filename().string());
        const std::string bytes = test::readBytes(file);
        const std::string code = header.type() + "_10";
        EXPECT_EQ(bytes.substr(0, bytes.find(">\r\n  ")),
                  kStart + code + "\" paraBirimi=\"YTL\" xsi:noNamespaceSchemaLocation=\"" + code +
                      ".xsd\"");
        EXPECT_EQ(textconv::cleanXmlFile(bytes), bytes);
        EXPECT_NE(bytes.find(std::string("<soyadi>\xDE") + "AH\xDDN &amp; Co</soyadi>"),
                  std::string::npos);
        EXPECT_NE(bytes.find(c.savedBytes), std::string::npos) << c.savedBytes;
        const Document saved = Document::parse(bytes);
        EXPECT_EQ(compactXml(saved.selectSingleNode("//beyanname/genel")),
                  "<genel><idari><vdKodu>034260</vdKodu><donem><tip>yillik</tip><yil>2023</yil>"
                  "</donem></idari><mukellef>" +
                      identity + "</mukellef><hsv>" + identity +
                      "</hsv><duzenleyen><vergiNo>P&amp;1</vergiNo></duzenleyen></genel>");
        EXPECT_EQ(compactXml(saved.selectSingleNode(c.section)), c.expected);
    }
}

TEST_F(ConversionRunTest, AddForAnExistingEnterpriseKeepsEverythingElse) {
    writeInfo("GELIR", "1|100|5|6\n3|610|7|8\n4|2|50\n");
    test::writeBytes(scene.declaration(), fixture);
    const auto outcome = scene.run(addExisting(kTitle));
    ASSERT_EQ(outcome.end, RunEnd::Completed) << outcome.cause;

    const Document before = Document::parse(fixture);
    const Document after = Document::parse(test::readBytes(scene.declaration()));
    ASSERT_FALSE(after.empty());
    for (const char* unchanged :
         {"//beyanname/genel", "//ticariKazanclar", "//kazancDetay/digerKazanc"})
        EXPECT_EQ(compactXml(after.selectSingleNode(unchanged)),
                  compactXml(before.selectSingleNode(unchanged)))
            << unchanged;
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

// A dry run creates and writes nothing; an add run without its file makes only the folders.
// Without a preparer the header has no duzenleyen.
TEST_F(ConversionRunTest, DryRunAndMissingAppendTargetWriteNoDeclaration) {
    RunChoices dryRun = createNew("T");
    dryRun.dryRun = true;
    test::InfoHeader noPreparer;
    noPreparer.preparerTaxNo.clear();
    writeInfo("GELIR", kIncomeTaxBody, noPreparer);
    const auto dry = scene.run(dryRun);
    ASSERT_EQ(dry.end, RunEnd::Completed) << dry.cause;
    EXPECT_FALSE(fs::exists(beyannameler));
    EXPECT_EQ(Document::parse(dry.document).selectNodes({}, "//ABsatiri").size(), 2u);
    EXPECT_EQ(dry.document.find("duzenleyen"), std::string::npos);

    test::writeBytes(scene.drive.root() / "ebyn" / "marker", "x");
    EXPECT_EQ(scene.run(addExisting("T")).end, RunEnd::AppendTargetMissing);
    EXPECT_TRUE(fs::is_directory(scene.declaration().parent_path()));
    EXPECT_TRUE(fs::is_empty(scene.declaration().parent_path()));
    EXPECT_EQ(test::readBytes(scene.drive.root() / "ebyn" / "marker"), "x");
}

// Every way a run can stop short leaves the declaration as it was, byte for byte.
TEST_F(ConversionRunTest, FailedRunsLeaveTheOldFileUntouched) {
    RunChoices addNew = createNew("T", Mode::AddToExisting);

    const std::string none = "<beyanname><ozel/></beyanname>";
    const struct {
        const char* name;
        std::string oldFile;
        RunChoices choices;
        RunEnd end;
        std::string causePart;
        std::string type = "GELIR";  // of the info file
        std::string body = kIncomeTaxBody;
        std::string infoPath = "D:\\beyan.txt";
    } cases[] = {
        {"no ticariKazanclar for a new record", none, addNew, RunEnd::Failed,
         std::string(kTicariKazanclarPath)},
        {"summary record without a summary", fixture, addExisting(kTitle), RunEnd::Failed,
         "13. satır: Beyanname dosyasında “//beyanname/ozel/ekler/isletmeHesapOzetleri",
         "GELIR-OZET", kBusinessSummaryBody},
        {"corporate tax table missing", none, withoutEnterprise(Mode::AddToExisting),
         RunEnd::Failed, "//beyanname/ozel/ekler/tdhpAktif", "KURUMLAR", kCorporateTaxBody},
        {"info file missing", fixture, addExisting(kTitle), RunEnd::Failed, "D:\\yok.txt", "GELIR",
         kIncomeTaxBody, "D:\\yok.txt"},
        {"info file shorter than its header", fixture, addExisting(kTitle), RunEnd::Failed, "12",
         "GELIR", kIncomeTaxBody, "D:\\kisa.txt"},
    };
    test::writeBytes(scene.drive.root() / "kisa.txt", test::infoFileText({"1\xB3"
                                                                          "2023\xB3GELIR",
                                                                          "2", "3"}));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto header = writeInfo(c.type, c.body);
        fs::remove_all(beyannameler);
        test::writeBytes(scene.declaration(), c.oldFile);

        const auto outcome = ConversionRun(header, c.infoPath, c.choices);
        EXPECT_EQ(outcome.end, c.end) << outcome.cause;
        EXPECT_NE(outcome.cause.find(c.causePart), std::string::npos) << outcome.cause;
        EXPECT_EQ(test::readBytes(scene.declaration()), c.oldFile);
        EXPECT_TRUE(scene.beside().empty()) << "no temporary file stays behind";
    }
}

// Header values become folder and file names: one that could lead out of the taxpayer's
// folder, or that no file name may hold, stops the run before any folder is made; so does a
// drive text that is no drive letter.
TEST_F(ConversionRunTest, TargetThatCannotBeNamedFailsBeforeAnythingIsWritten) {
    const auto header = writeInfo("KURUMLAR", kCorporateTaxBody);
    using H = DeclarationHeader;
    const std::pair<std::string H::*, std::string> cases[] = {{&H::folderTaxNo, ".."},
                                                              {&H::folderTaxNo, "12\\..\\..\\x"},
                                                              {&H::taxOfficeCode, "a/b"},
                                                              {&H::periodText, "2023?"},
                                                              {&H::declarationType, "KURUMLAR\t"}};
    for (const auto& [field, value] : cases) {
        DeclarationHeader changed = header;
        changed.*field = value;
        const auto outcome =
            ConversionRun(changed, scene.infoPath, withoutEnterprise(Mode::CreateNew));
        EXPECT_EQ(outcome.end, RunEnd::Failed) << value;
        EXPECT_NE(outcome.cause.find("“" + value + "” bir dosya adında kullanılamaz"),
                  std::string::npos)
            << outcome.cause;
    }
    for (const std::string driveText : {"Q", "", "DD"}) {
        RunChoices choices = withoutEnterprise(Mode::CreateNew);
        choices.driveText = driveText;
        EXPECT_EQ(scene.run(choices).end, RunEnd::Failed) << driveText;
    }
    EXPECT_FALSE(fs::exists(beyannameler));
}

}  // namespace
}  // namespace kovrel::conversion
