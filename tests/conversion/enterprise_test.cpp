#include "conversion/enterprise.h"

#include <gtest/gtest.h>

#include "conversion/conversion_error.h"
#include "conversion/income_tax.h"
#include "support/test_support.h"

namespace kovrel::conversion {
namespace {

using platform::xml::Document;
using test::compactXml;

const std::string kTitleA = "Ali \"Kaya\" 'Ltd'";

// Two enterprises; A's title holds both kinds of quote, and "A " differs from A by a space.
std::string twoEnterprises() {
    return "<beyanname><ozel><kazancDetay><ticariKazancBildirimi><ticariKazanclar>"
           "<ticariKazanc><unvani>Ali \"Kaya\" 'Ltd'</unvani><verilenEk>802</verilenEk>"
           "</ticariKazanc><ticariKazanc><unvani>B</unvani><verilenEk>802</verilenEk>"
           "</ticariKazanc></ticariKazanclar></ticariKazancBildirimi></kazancDetay><ekler>"
           "<ayrintiliBilancoGelirTablosu><ayrintiliBilanco>"
           "<ABsatiri><unvani>Ali \"Kaya\" 'Ltd'</unvani><tip>1</tip><kod>100</kod></ABsatiri>"
           "<ABsatiri><unvani>B</unvani><tip>1</tip><kod>101</kod></ABsatiri>"
           "<ABsatiri><unvani>Ali \"Kaya\" 'Ltd'</unvani><tip>2</tip><kod>500</kod></ABsatiri>"
           "<ABsatiri><unvani>Ali \"Kaya\" 'Ltd' </unvani><tip>2</tip><kod>501</kod></ABsatiri>"
           "</ayrintiliBilanco><ayrintiliGelirTablosu>"
           "<AGTsatiri><unvani>B</unvani><kod>600</kod></AGTsatiri>"
           "<AGTsatiri><unvani>Ali \"Kaya\" 'Ltd'</unvani><kod>601</kod></AGTsatiri>"
           "</ayrintiliGelirTablosu></ayrintiliBilancoGelirTablosu></ekler>"
           "<performans><netSatis>1</netSatis></performans><diger/><performans/>"
           "</ozel></beyanname>";
}

struct Prepared {
    EnterpriseStep step;
    std::string enterpriseTitle;
    Document saved;
};

Prepared prepare(const std::string& xml, const EnterpriseChoice& choice,
                 const NewEnterpriseFields& fields, bool addMode, bool usesBusinessSummary) {
    // Loaded as a run loads it: the table rows compact.
    Document doc = Document::parse(xml, nullptr, incomeTaxRowNames());
    SectionLocator locator(doc);
    Prepared p{EnterpriseStep::Continue, "unchanged", Document()};
    p.step =
        prepareEnterprise(locator, choice, fields, addMode, usesBusinessSummary, p.enterpriseTitle);
    p.saved = test::reparse(doc);
    return p;
}

EnterpriseChoice existing(const std::string& title) {
    return {2, title, {kTitleA, "B"}};
}

EnterpriseChoice newRecord() {
    return {0, "Yeni Kayıt", {kTitleA, "B"}};
}

TEST(PrepareEnterprise, ExistingEnterpriseLosesItsRowsAndEveryPerformance) {
    const auto p = prepare(twoEnterprises(), existing(kTitleA), {}, true, false);
    EXPECT_EQ(p.step, EnterpriseStep::Continue);
    EXPECT_EQ(p.enterpriseTitle, kTitleA);
    EXPECT_EQ(compactXml(p.saved.selectSingleNode("//ayrintiliBilanco")),
              "<ayrintiliBilanco><ABsatiri><unvani>B</unvani><tip>1</tip><kod>101</kod></ABsatiri>"
              "<ABsatiri><unvani>Ali \"Kaya\" 'Ltd' </unvani><tip>2</tip><kod>501</kod></ABsatiri>"
              "</ayrintiliBilanco>");
    EXPECT_EQ(compactXml(p.saved.selectSingleNode("//ayrintiliGelirTablosu")),
              "<ayrintiliGelirTablosu><AGTsatiri><unvani>B</unvani><kod>600</kod></AGTsatiri>"
              "</ayrintiliGelirTablosu>");
    EXPECT_TRUE(p.saved.selectNodes({}, "//performans").empty());
    EXPECT_TRUE(p.saved.selectSingleNode("//ozel/diger"));
    // The record itself stays.
    const Document before = Document::parse(twoEnterprises());
    EXPECT_EQ(compactXml(p.saved.selectSingleNode("//ticariKazanclar")),
              compactXml(before.selectSingleNode("//ticariKazanclar")));
}

TEST(PrepareEnterprise, TitleWithTrailingSpaceMatchesOnlyItself) {
    const auto p = prepare(twoEnterprises(), existing(kTitleA + " "), {}, true, false);
    EXPECT_EQ(p.enterpriseTitle, kTitleA + " ");
    EXPECT_EQ(p.saved.selectNodes({}, "//ayrintiliBilanco/ABsatiri").size(), 3u);
    EXPECT_FALSE(p.saved.selectSingleNode("//ABsatiri[kod='501']"));
    EXPECT_EQ(p.saved.selectNodes({}, "//ayrintiliGelirTablosu/AGTsatiri").size(), 2u);
}

TEST(PrepareEnterprise, NewRecordChildrenInOrderAndOnlyWhenNotEmpty) {
    struct Case {
        const char* name;
        NewEnterpriseFields fields;
        bool usesBusinessSummary;
        std::string expected;
    };
    const std::vector<Case> cases{
        {"every field",
         {"Yeni & Ortak", "Toptan <gıda>", "50", "1.000,00", "0,00", "15,00"},
         false,
         "<ticariKazanc><unvani>Yeni & Ortak</unvani><faaliyetKonusu>Toptan <gıda>"
         "</faaliyetKonusu><verilenEk>802</verilenEk><payOrani>50</payOrani><kar>1.000,00</kar>"
         "<zarar>0,00</zarar><kgv>15,00</kgv></ticariKazanc>"},
        {"business summary",
         {"C", "", "", "", "5", ""},
         true,
         "<ticariKazanc><unvani>C</unvani><verilenEk>801</verilenEk><zarar>5</zarar>"
         "</ticariKazanc>"},
        {"every field empty", {}, false, "<ticariKazanc><verilenEk>802</verilenEk></ticariKazanc>"},
        {"spaces are not empty",
         {"  ", " ", "", "", "", ""},
         false,
         "<ticariKazanc><unvani>  </unvani><faaliyetKonusu> </faaliyetKonusu>"
         "<verilenEk>802</verilenEk></ticariKazanc>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto p =
            prepare(twoEnterprises(), newRecord(), c.fields, true, c.usesBusinessSummary);
        EXPECT_EQ(p.step, EnterpriseStep::Continue);
        EXPECT_EQ(p.enterpriseTitle, c.fields.title);
        const auto records = p.saved.selectNodes({}, "//ticariKazanclar/ticariKazanc");
        ASSERT_EQ(records.size(), 3u);
        EXPECT_EQ(compactXml(records.back()), c.expected);
        // The old rows stay: a new record removes nothing.
        EXPECT_EQ(p.saved.selectNodes({}, "//ABsatiri").size(), 4u);
        EXPECT_EQ(p.saved.selectNodes({}, "//performans").size(), 2u);
    }
}

TEST(PrepareEnterprise, DuplicateTitleOnlyInAddModeAndCaseSensitive) {
    struct Case {
        const char* name;
        std::string title;
        bool addMode;
        bool duplicate;
    };
    const std::vector<Case> cases{
        {"same title in add mode", "B", true, true},
        {"title with quotes in add mode", kTitleA, true, true},
        {"create mode has no duplicate test", "B", false, false},
        {"other case", "b", true, false},
        {"trailing space", "B ", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto p =
            prepare(twoEnterprises(), newRecord(), {c.title, "", "", "", "", ""}, c.addMode, false);
        const auto records = p.saved.selectNodes({}, "//ticariKazanclar/ticariKazanc");
        if (c.duplicate) {
            EXPECT_EQ(p.step, EnterpriseStep::DuplicateTitle);
            EXPECT_EQ(p.enterpriseTitle, "unchanged");
            EXPECT_EQ(compactXml(p.saved.root()),
                      compactXml(Document::parse(twoEnterprises()).root()));
        } else {
            EXPECT_EQ(p.step, EnterpriseStep::Continue);
            EXPECT_EQ(records.size(), 3u);
        }
    }
}

TEST(PrepareEnterprise, NothingSelectedChangesNothing) {
    const auto p = prepare(twoEnterprises(), {-1, "", {}}, {"X", "Y", "", "", "", ""}, true, false);
    EXPECT_EQ(p.step, EnterpriseStep::Continue);
    EXPECT_EQ(p.enterpriseTitle, "unchanged");
    EXPECT_EQ(compactXml(p.saved.root()), compactXml(Document::parse(twoEnterprises()).root()));
}

TEST(PrepareEnterprise, BusinessSummaryOfAnExistingEnterpriseIsEmptied) {
    const std::string xml =
        "<beyanname><ozel><kazancDetay><ticariKazancBildirimi><ticariKazanclar><ticariKazanc>"
        "<unvani>A</unvani></ticariKazanc></ticariKazanclar></ticariKazancBildirimi></kazancDetay>"
        "<ekler><isletmeHesapOzetleri><isletmeHesapOzeti><unvani>A</unvani><kar>1</kar>"
        "<zarar>2</zarar></isletmeHesapOzeti><isletmeHesapOzeti><kar>9</kar></isletmeHesapOzeti>"
        "</isletmeHesapOzetleri></ekler><performans><netSatis>1</netSatis></performans></ozel>"
        "</beyanname>";
    const auto p = prepare(xml, {2, "A", {"A"}}, {}, true, true);
    EXPECT_EQ(p.enterpriseTitle, "A");
    EXPECT_EQ(compactXml(p.saved.selectSingleNode("//ekler")),
              "<ekler><isletmeHesapOzetleri><isletmeHesapOzeti/><isletmeHesapOzeti><kar>9</kar>"
              "</isletmeHesapOzeti></isletmeHesapOzetleri></ekler>");
    EXPECT_FALSE(p.saved.selectSingleNode("//performans"));
}

TEST(PrepareEnterprise, MissingSectionsFailWithTheirPath) {
    struct Case {
        const char* name;
        std::string xml;
        EnterpriseChoice choice;
        std::string path;
    };
    const std::vector<Case> cases{
        {"new record without ticariKazanclar", "<beyanname><ozel/></beyanname>", newRecord(),
         std::string(kTicariKazanclarPath)},
        {"existing enterprise without balance sheet",
         "<beyanname><ozel><ekler><ayrintiliBilancoGelirTablosu><ayrintiliGelirTablosu/>"
         "</ayrintiliBilancoGelirTablosu></ekler></ozel></beyanname>",
         existing("B"), "//beyanname/ozel/ekler/ayrintiliBilancoGelirTablosu/ayrintiliBilanco"},
        {"existing enterprise without income statement",
         "<beyanname><ozel><ekler><ayrintiliBilancoGelirTablosu><ayrintiliBilanco/>"
         "</ayrintiliBilancoGelirTablosu></ekler></ozel></beyanname>",
         existing("B"),
         "//beyanname/ozel/ekler/ayrintiliBilancoGelirTablosu/ayrintiliGelirTablosu"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Document doc = Document::parse(c.xml);
        SectionLocator locator(doc);
        std::string title;
        try {
            prepareEnterprise(locator, c.choice, {}, true, false, title);
            ADD_FAILURE() << "no failure";
        } catch (const ConversionError& e) {
            EXPECT_NE(std::string(e.what()).find(c.path), std::string::npos) << e.what();
        }
    }
}

TEST(ListEnterprises, FirstChildTextOfEachRecord) {
    std::string error;
    const auto listing = listEnterprises(
        "<beyanname><ozel><kazancDetay><ticariKazancBildirimi><ticariKazanclar>"
        "<ticariKazanc><unvani>A &amp; B</unvani></ticariKazanc>"
        "<ticariKazanc><verilenEk>802</verilenEk><unvani>X</unvani></ticariKazanc>"
        "</ticariKazanclar></ticariKazancBildirimi></kazancDetay></ozel></beyanname>",
        error);
    ASSERT_TRUE(listing) << error;
    EXPECT_TRUE(listing->hasSection);
    EXPECT_EQ(listing->titles, (std::vector<std::string>{"A & B", "802"}));

    const auto none = listEnterprises("<beyanname><ozel/></beyanname>", error);
    ASSERT_TRUE(none);
    EXPECT_FALSE(none->hasSection);

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
        "<ticariKazanc><unvani>  </unvani></ticariKazanc>"
        "<ticariKazanc><unvani>\r\n  <x>In</x>ner\r\n</unvani></ticariKazanc>"
        "</ticariKazanclar></ticariKazancBildirimi></kazancDetay>";
    struct Case {
        const char* name;
        std::string xml;
        bool hasSection;
        std::vector<std::string> titles;
    } cases[] = {
        {"spaces kept, layout dropped",
         "<beyanname><ozel>" + list + "</ozel></beyanname>",
         true,
         {"  ", "Inner\n"}},
        {"nested beyanname, first in document order",
         "<r><beyanname><ozel><kazancDetay><ticariKazancBildirimi><ticariKazanclar>"
         "<ticariKazanc><unvani>First</unvani></ticariKazanc></ticariKazanclar>"
         "</ticariKazancBildirimi></kazancDetay></ozel></beyanname><beyanname><ozel>" +
             list + "</ozel></beyanname></r>",
         true,
         {"First"}},
        {"empty list element",
         "<beyanname><ozel><kazancDetay><ticariKazancBildirimi>"
         "<ticariKazanclar/></ticariKazancBildirimi></kazancDetay></ozel>"
         "</beyanname>",
         true,
         {}},
        {"list in a namespace is not the list",
         "<beyanname xmlns=\"urn:x\"><ozel>" + list + "</ozel></beyanname>",
         false,
         {}},
        {"broken inside the list",
         "<beyanname><ozel><kazancDetay><ticariKazancBildirimi>"
         "<ticariKazanclar><ticariKazanc><unvani>A</unvani>"
         "</ticariKazanclar></ticariKazancBildirimi></kazancDetay>"
         "</ozel></beyanname>",
         false,
         {}},
        {"document type",
         "<!DOCTYPE beyanname [<!ENTITY e \"x\">]><beyanname><ozel>" + list + "</ozel></beyanname>",
         false,
         {}},
        {"not XML", "beyanname", false, {}},
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
