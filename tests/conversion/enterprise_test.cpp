#include "conversion/enterprise.h"

#include <gtest/gtest.h>

#include "conversion/income_tax.h"
#include "support/test_support.h"

namespace kovrel::conversion {
namespace {

using platform::xml::Document;
using test::compactXml;

const std::string kTitleA = "Ali \"Kaya\" 'Ltd' & Ortakları";
const std::string kTitleB = "Büyük Ğ Şirketi";

std::string twoEnterprises() {
    return test::readBytes(KOVREL_TEST_DATA "/conversion/gelir_two_enterprises.xml");
}

struct Prepared {
    EnterpriseStep step;
    std::string enterpriseTitle;
    Document saved;
};

Prepared prepare(const EnterpriseChoice& choice, const NewEnterpriseFields& fields, bool addMode) {
    // Loaded as a run loads it: the table rows compact.
    Document doc = Document::parse(twoEnterprises(), nullptr, incomeTaxRowNames());
    SectionLocator locator(doc);
    Prepared p{EnterpriseStep::Continue, "unchanged", Document()};
    p.step = prepareEnterprise(locator, choice, fields, addMode, false, p.enterpriseTitle);
    p.saved = test::reparse(doc);
    return p;
}

const EnterpriseChoice kNewRecord{0, "Yeni Kayıt", {kTitleA, kTitleB}};

TEST(PrepareEnterprise, NewRecordChildrenInOrderAndOnlyWhenNotEmpty) {
    const auto p =
        prepare(kNewRecord, {"Yeni & Ortak", "", "50", "1.000,00", "0,00", "15,00"}, true);
    EXPECT_EQ(p.enterpriseTitle, "Yeni & Ortak");
    const auto records = p.saved.selectNodes({}, "//ticariKazanclar/ticariKazanc");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(compactXml(records.back()),
              "<ticariKazanc><unvani>Yeni & Ortak</unvani><verilenEk>802</verilenEk>"
              "<payOrani>50</payOrani><kar>1.000,00</kar><zarar>0,00</zarar><kgv>15,00</kgv>"
              "</ticariKazanc>");
    // A new record removes nothing.
    EXPECT_EQ(p.saved.selectNodes({}, "//ABsatiri").size(), 3u);
    EXPECT_EQ(p.saved.selectNodes({}, "//performans").size(), 1u);
}

TEST(PrepareEnterprise, DuplicateTitleOnlyInAddModeAndCaseSensitive) {
    const struct {
        const char* name;
        std::string title;
        bool addMode;
        bool duplicate;
    } cases[] = {
        {"same title in add mode", kTitleA, true, true},
        {"create mode has no duplicate test", kTitleB, false, false},
        {"other case", "büyük Ğ Şirketi", true, false},
        {"trailing space", kTitleB + " ", true, false},
    };
    const std::string untouched = compactXml(Document::parse(twoEnterprises()).root());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto p = prepare(kNewRecord, {c.title, "", "", "", "", ""}, c.addMode);
        EXPECT_EQ(p.step, c.duplicate ? EnterpriseStep::DuplicateTitle : EnterpriseStep::Continue);
        EXPECT_EQ(compactXml(p.saved.root()) == untouched, c.duplicate);
        EXPECT_EQ(p.enterpriseTitle == "unchanged", c.duplicate);
    }
    // Nothing selected changes nothing either.
    const auto p = prepare({-1, "", {}}, {"X", "Y", "", "", "", ""}, true);
    EXPECT_EQ(p.step, EnterpriseStep::Continue);
    EXPECT_EQ(p.enterpriseTitle, "unchanged");
    EXPECT_EQ(compactXml(p.saved.root()), untouched);
}

TEST(ListEnterprises, RecordWithoutAChildFails) {
    std::string error;
    EXPECT_FALSE(listEnterprises(
        "<beyanname><ozel><kazancDetay><ticariKazancBildirimi><ticariKazanclar><ticariKazanc/>"
        "</ticariKazanclar></ticariKazancBildirimi></kazancDetay></ozel></beyanname>",
        error));
    EXPECT_FALSE(error.empty());
}

// The list is read as a stream; what it finds must be what the document's first matching
// element holds, and a file broken before the list ends lists nothing.
TEST(ListEnterprises, StreamFindsWhatTheDocumentHolds) {
    // The parser reads CR LF as LF; only white space alone between elements is layout.
    const std::string list =
        "<kazancDetay><ticariKazancBildirimi><ticariKazanclar>"
        "<ticariKazanc><unvani>A &amp; B</unvani></ticariKazanc>"
        "<ticariKazanc><verilenEk>802</verilenEk><unvani>X</unvani></ticariKazanc>"
        "<ticariKazanc><unvani>  </unvani></ticariKazanc>"
        "<ticariKazanc><unvani>\r\n  <x>In</x>ner\r\n</unvani></ticariKazanc>"
        "</ticariKazanclar></ticariKazancBildirimi></kazancDetay>";
    const struct {
        const char* name;
        std::string xml;
        bool hasSection;
        std::vector<std::string> titles;
    } cases[] = {
        {"first child's text; spaces kept, layout dropped",
         "<beyanname><ozel>" + list + "</ozel></beyanname>",
         true,
         {"A & B", "802", "  ", "Inner\n"}},
        {"nested beyanname, first in document order",
         "<r><beyanname><ozel><kazancDetay><ticariKazancBildirimi><ticariKazanclar>"
         "<ticariKazanc><unvani>First</unvani></ticariKazanc></ticariKazanclar>"
         "</ticariKazancBildirimi></kazancDetay></ozel></beyanname><beyanname><ozel>" +
             list + "</ozel></beyanname></r>",
         true,
         {"First"}},
        {"no list", "<beyanname><ozel/></beyanname>", false, {}},
        {"list in a namespace is not the list",
         "<beyanname xmlns=\"urn:x\"><ozel>" + list + "</ozel></beyanname>",
         false,
         {}},
        {"broken inside the list",
         "<beyanname><ozel><kazancDetay><ticariKazancBildirimi><ticariKazanclar><ticariKazanc>"
         "<unvani>A</unvani></ticariKazanclar></ticariKazancBildirimi></kazancDetay></ozel>"
         "</beyanname>",
         false,
         {}},
        {"document type",
         "<!DOCTYPE beyanname [<!ENTITY e \"x\">]><beyanname><ozel>" + list + "</ozel></beyanname>",
         false,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        const auto listing = listEnterprises(c.xml, error);
        ASSERT_TRUE(listing) << error;
        EXPECT_EQ(listing->hasSection, c.hasSection);
        EXPECT_EQ(listing->titles, c.titles);
    }
}

}  // namespace
}  // namespace kovrel::conversion
