#include "conversion/conversion_run.h"

#include <gtest/gtest.h>

#include <tuple>

#include "conversion/enterprise.h"
#include "support/test_support.h"

namespace kovrel::conversion {
namespace {

namespace fs = std::filesystem;
using infofile::DeclarationHeader;
using platform::xml::Document;

const std::string kTitle = "Ali \"Kaya\" 'Ltd' & Ortakları";
const fs::path kData = fs::path(KOVREL_TEST_DATA) / "conversion";

class ConversionRunTest : public ::testing::Test {
  protected:
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
        return {"D", Mode::AddToExisting, EnterpriseChoice::existing(title), {}};
    }

    const test::Scene scene;
    const fs::path beyannameler = scene.drive.root() / "ebyn" / "beyannameler";
    const std::string fixture = test::readBytes(kData / "gelir_two_enterprises.xml");
};

// Spaces around fields are trimmed; 4/11 is no performance item and needs no value; a repeated
// item is appended again; 81 belongs to business summaries only.
const std::string kIncomeTaxBody =
    "1|100|1.000,00|\n 2 | 500 | |2.000,00 \n3|600\xDE|5.000,00|-1\n4|1|7.500,00\n"
    "4|7|12.000,00\n4|11\n4|7|1\n81|1\n";

// Summary records keep their spaces: a field holds two columns of 15 characters. " 10" is no
// summary code, so its fields are trimmed first; 81 is, so its are not.
const std::string kTwoColumns = "          1234567             \n";
const std::string kBusinessSummaryBody =
    "10|" + std::string(15, ' ') + "       1.234,50\n20|         100,00        200,00 \n50\n60|" +
    kTwoColumns + " 10|" + kTwoColumns + "81|" + kTwoColumns + "4|1|300\n";

// Footnotes are mapped from code page 857, table values taken as ISO-8859-9.
const std::string kCorporateTaxBody =
    "1|100||250\n2|500|1.234,56|-7\n3|6\xDE|10|20\n11|Aktif not\x9F\n12|Pasif & <not>\n13|\n"
    "4|1|5.000\n4|16\n4|5|700\n4|1|6\n";

// Each run saves its file of tests/data/conversion/saved: ISO-8859-9 with CR LF line ends, the
// header holding the info file's values each escaped exactly once (the identity twice), ı and
// Ş as their ISO-8859-9 bytes, quotes as they are in text. The type is compared in upper case;
// an identity number that is not 11 characters long does not name the folder.
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
    RunChoices everyField = createNew(kTitle);
    everyField.fields = {kTitle, "", "50", "1.000,00", "0,00", "15,00"};
    const struct {
        const char* saved;
        std::string type, body;
        RunChoices choices;
        bool oldFile = false;  // gelir_two_enterprises.xml there before the run
    } cases[] = {
        {"income_tax", "GELIR", kIncomeTaxBody, everyField},
        {"business_summary", "gelir-ozet", kBusinessSummaryBody, createNew("T")},
        {"corporate_tax", "Kurumlar", kCorporateTaxBody, withoutEnterprise(Mode::CreateNew)},
        // The old file's rows are gone, empty lines and codes skipped; no title, no unvani.
        {"created_over_old_file", "GELIR", "1|100|1|\n\n|x|y\n   \n |1|2|3\n\n", createNew(""),
         true},
        {"other_type", "XYZ", kIncomeTaxBody, createNew("")},  // the header only
        // Rows match on the exact title: the one whose title has a trailing space is another's.
        // Every performance item goes, the new one made again at the end of ozel; all else stays.
        {"added_to_existing", "GELIR", "1|100|5|6\n3|610|7|8\n4|2|50\n", addExisting(kTitle), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.saved);
        const auto header = writeInfo(c.type, c.body, info);
        const fs::path file =
            beyannameler / "1234567890" / ("034260_1234567890_" + header.type() + "_10_2023.xml");
        if (c.oldFile)
            test::writeBytes(file, fixture);
        const auto outcome = scene.run(c.choices);
        ASSERT_EQ(outcome.end, RunEnd::Completed) << outcome.cause;
        EXPECT_EQ(outcome.targetXmlPath,
                  "D:\\ebyn\\beyannameler\\1234567890\\" + file.filename().string());
        EXPECT_EQ(test::readBytes(file),
                  test::readBytes(kData / "saved" / (c.saved + std::string(".xml"))));
    }
}

// A dry run creates and writes nothing; an add run without its file makes only the folders.
// Without a preparer the header has no duzenleyen.
TEST_F(ConversionRunTest, DryRunAndMissingAppendTargetWriteNoDeclaration) {
    RunChoices dryRun = createNew("T");
    dryRun.dryRun = true;
    writeInfo("GELIR", kIncomeTaxBody, {.preparerTaxNo = ""});
    const auto dry = scene.run(dryRun);
    ASSERT_EQ(dry.end, RunEnd::Completed) << dry.cause;
    EXPECT_FALSE(fs::exists(beyannameler));
    EXPECT_EQ(Document::parse(dry.document).selectNodes({}, "//ABsatiri | //duzenleyen").size(),
              2u);

    EXPECT_EQ(scene.run(addExisting("T")).end, RunEnd::AppendTargetMissing);
    EXPECT_TRUE(fs::is_directory(scene.declaration().parent_path()));
    EXPECT_TRUE(fs::is_empty(scene.declaration().parent_path()));
}

TEST_F(ConversionRunTest, FailedRunsLeaveTheOldFileUntouched) {
    const std::string none = "<beyanname><ozel/></beyanname>";
    const struct {
        const char* name;
        std::string oldFile;
        RunChoices choices;
        std::string causePart;
        std::string type = "GELIR";  // of the info file
        std::string body = kIncomeTaxBody;
        std::string infoPath = "D:\\beyan.txt";
    } cases[] = {
        {"no ticariKazanclar for a new record", none, createNew("T", Mode::AddToExisting),
         std::string(kTicariKazanclarPath)},
        {"summary record without a summary", fixture, addExisting(kTitle),
         "13. satır: Beyanname dosyasında “//beyanname/ozel/ekler/isletmeHesapOzetleri",
         "GELIR-OZET", kBusinessSummaryBody},
        {"corporate tax table missing", none, withoutEnterprise(Mode::AddToExisting),
         "//beyanname/ozel/ekler/tdhpAktif", "KURUMLAR", kCorporateTaxBody},
        {"info file missing", fixture, addExisting(kTitle), "D:\\yok.txt", "GELIR", kIncomeTaxBody,
         "D:\\yok.txt"},
        {"info file shorter than its header", fixture, addExisting(kTitle), "12", "GELIR",
         kIncomeTaxBody, "D:\\kisa.txt"},
    };
    const auto shortInfo = test::infoFileText({std::string("1\xB3") + "2023\xB3GELIR", "2", "3"});
    test::writeBytes(scene.drive.root() / "kisa.txt", shortInfo);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto header = writeInfo(c.type, c.body);
        fs::remove_all(beyannameler);
        test::writeBytes(scene.declaration(), c.oldFile);
        const auto outcome = ConversionRun(header, c.infoPath, c.choices);
        EXPECT_EQ(outcome.end, RunEnd::Failed) << outcome.cause;
        EXPECT_NE(outcome.cause.find(c.causePart), std::string::npos) << outcome.cause;
        EXPECT_EQ(test::readBytes(scene.declaration()), c.oldFile);
        EXPECT_TRUE(scene.beside().empty()) << "no temporary file stays behind";
    }
}

// A header value (a folder or file name) that could lead out of the taxpayer's folder or that no
// file name may hold, or a drive text that is no letter, stops the run before any folder is made.
TEST_F(ConversionRunTest, TargetThatCannotBeNamedFailsBeforeAnythingIsWritten) {
    const auto header = writeInfo("KURUMLAR", kCorporateTaxBody);
    using H = DeclarationHeader;
    for (const auto& [field, value] :
         {std::pair{&H::folderTaxNo, ".."}, std::pair{&H::folderTaxNo, "12\\..\\..\\x"},
          std::pair{&H::taxOfficeCode, "a/b"}, std::pair{&H::periodText, "2023?"},
          std::pair{&H::declarationType, "KURUMLAR\t"}}) {
        DeclarationHeader changed = header;
        changed.*field = value;
        const auto outcome =
            ConversionRun(changed, scene.infoPath, withoutEnterprise(Mode::CreateNew));
        EXPECT_EQ(outcome.end, RunEnd::Failed) << value;
        EXPECT_NE(outcome.cause.find("“" + std::string(value) + "” bir dosya adında kullanılamaz"),
                  std::string::npos)
            << outcome.cause;
    }
    for (const char* driveText : {"Q", "", "DD"})
        EXPECT_EQ(scene.run({driveText, Mode::CreateNew, {}, {}}).end, RunEnd::Failed) << driveText;
    EXPECT_FALSE(fs::exists(beyannameler));
}

// The list is read as a stream; each title is the text that a run compares with unvani (a title
// typed with spaces around it keeps them): the first child's text, entities decoded, spaces kept,
// white space alone between elements dropped, CR LF read as LF. Where the window's list starts
// and what the converter does without --new or --enterprise follow from it.
TEST(DefaultEnterprise, NewRecordFirstTitleNoneOrTheUserChooses) {
    const auto listed = listEnterprises(
        "<beyanname><ozel><kazancDetay><ticariKazancBildirimi><ticariKazanclar>"
        "<ticariKazanc><unvani>A &amp; B</unvani></ticariKazanc>"
        "<ticariKazanc><verilenEk>802</verilenEk><unvani>X</unvani></ticariKazanc>"
        "<ticariKazanc><unvani>  </unvani></ticariKazanc>"
        "<ticariKazanc><unvani>\r\n  <x>In</x>ner\r\n</unvani></ticariKazanc>"
        "</ticariKazanclar></ticariKazancBildirimi></kazancDetay></ozel></beyanname>");
    EXPECT_TRUE(listed.hasSection);
    EXPECT_EQ(listed.titles, (std::vector<std::string>{"A & B", "802", "  ", "Inner\n"}));
    const EnterpriseListing empty{true, {}}, noSection{false, {}};
    const EnterpriseChoice none{};
    const std::tuple<Mode, const EnterpriseListing*, std::optional<EnterpriseChoice>> cases[] = {
        {Mode::CreateNew, &listed, EnterpriseChoice::newRecord()},
        {Mode::AddToExisting, nullptr, EnterpriseChoice::newRecord()},
        {Mode::AddToExisting, &listed, EnterpriseChoice::existing("A & B")},
        {Mode::AddToExisting, &noSection, none},
        {Mode::AddToExisting, &empty, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(defaultEnterprise(std::get<0>(c), std::get<1>(c)), std::get<2>(c)) << &c - cases;
}

}  // namespace
}  // namespace kovrel::conversion
