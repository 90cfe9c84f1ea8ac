#include "conversion/income_tax.h"

#include <gtest/gtest.h>

#include "conversion/conversion_error.h"
#include "support/test_support.h"

namespace kovrel::conversion {
namespace {

using infofile::InfoRecord;
using platform::xml::Document;
using test::compactXml;

constexpr std::string_view kBalanceSheet =
    "//beyanname/ozel/ekler/ayrintiliBilancoGelirTablosu/ayrintiliBilanco";
constexpr std::string_view kIncomeStatement =
    "//beyanname/ozel/ekler/ayrintiliBilancoGelirTablosu/ayrintiliGelirTablosu";
constexpr std::string_view kPerformance = "//beyanname/ozel/performans";
constexpr std::string_view kSummary =
    "//beyanname/ozel/ekler/isletmeHesapOzetleri/isletmeHesapOzeti";

struct RecordCase {
    const char* name;
    bool usesBusinessSummary;
    std::string title;
    std::vector<InfoRecord> records;
    std::string_view section;
    std::string expected;  // the section afterwards
};

// Runs the records on a new declaration of the matching kind and returns the section.
std::string sectionAfter(const RecordCase& c) {
    Document doc = test::skeletonDocument("GELIR", c.usesBusinessSummary);
    SectionLocator locator(doc);
    for (const auto& record : c.records)
        applyIncomeTaxRecord(locator, record, c.title, c.usesBusinessSummary);
    return compactXml(test::reparse(doc).selectSingleNode(c.section));
}

const std::string kQuotedTitle = "Ali \"Kaya\" 'Ltd' & Şürekası";
const std::string kSpaces15(15, ' ');

TEST(ApplyIncomeTaxRecord, StatementRows) {
    const std::vector<RecordCase> cases{
        {"asset row",
         false,
         kQuotedTitle,
         {{"1", "100", "1.234,56", "-7"}},
         kBalanceSheet,
         "<ayrintiliBilanco><ABsatiri><unvani>" + kQuotedTitle +
             "</unvani><tip>1</tip><kod>100</kod><od>1.234,56</od><cd>-7</cd></ABsatiri>"
             "</ayrintiliBilanco>"},
        {"liability row with od only",
         false,
         "T",
         {{"2", "", "150", ""}},
         kBalanceSheet,
         "<ayrintiliBilanco><ABsatiri><unvani>T</unvani><tip>2</tip><od>150</od></ABsatiri>"
         "</ayrintiliBilanco>"},
        {"empty row without title",
         false,
         "",
         {{"1", "", "", ""}},
         kBalanceSheet,
         "<ayrintiliBilanco><ABsatiri><tip>1</tip></ABsatiri></ayrintiliBilanco>"},
        {"rows in record order, extra fields ignored",
         false,
         "T",
         {{"2", "500", "", "2", "x"}, {"1", "100", "1", ""}},
         kBalanceSheet,
         "<ayrintiliBilanco><ABsatiri><unvani>T</unvani><tip>2</tip><kod>500</kod><cd>2</cd>"
         "</ABsatiri><ABsatiri><unvani>T</unvani><tip>1</tip><kod>100</kod><od>1</od></ABsatiri>"
         "</ayrintiliBilanco>"},
        {"ISO-8859-9 bytes kept, no mapping",
         false,
         "T",
         {{"1", "1\xDE", "\xFE\xDD", ""}},
         kBalanceSheet,
         "<ayrintiliBilanco><ABsatiri><unvani>T</unvani><tip>1</tip><kod>1Ş</kod><od>şİ</od></"
         "ABsatiri></ayrintiliBilanco>"},
        {"income statement row",
         false,
         "T",
         {{"3", "600", "10", "20"}},
         kIncomeStatement,
         "<ayrintiliGelirTablosu><AGTsatiri><unvani>T</unvani><kod>600</kod><od>10</od>"
         "<cd>20</cd></AGTsatiri></ayrintiliGelirTablosu>"},
        {"empty income statement row",
         false,
         "",
         {{"3", "", "", ""}},
         kIncomeStatement,
         "<ayrintiliGelirTablosu><AGTsatiri/></ayrintiliGelirTablosu>"},
        {"income statement row leaves the balance sheet",
         false,
         "T",
         {{"3", "600", "", ""}},
         kBalanceSheet,
         "<ayrintiliBilanco/>"},
        {"empty code changes nothing",
         false,
         "T",
         {{"", "100", "1", "2"}},
         kBalanceSheet,
         "<ayrintiliBilanco/>"},
        {"code 01 is not 1",
         false,
         "T",
         {{"01", "100", "1", "2"}},
         kBalanceSheet,
         "<ayrintiliBilanco/>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sectionAfter(c), c.expected) << c.name;
}

TEST(ApplyIncomeTaxRecord, PerformanceItemPerSubCode) {
    const std::vector<std::pair<std::string, std::string>> items{
        {"1", "netSatis"},         {"2", "satisMaliyeti"},    {"3", "faaliyetGideri"},
        {"4", "finansmanGideri"},  {"5", "amortismanGideri"}, {"6", "yatirimIndirimi"},
        {"7", "aktifToplami"},     {"8", "odenmisSermaye"},   {"9", "maddiDuranVarlik"},
        {"10", "maliDuranVarlik"},
    };
    for (const auto& [subCode, element] : items) {
        const RecordCase c{"", false, "T", {{"4", subCode, "-12,50"}}, kPerformance, ""};
        EXPECT_EQ(sectionAfter(c),
                  "<performans><" + element + ">-12,50</" + element + "></performans>")
            << subCode;
    }
}

TEST(ApplyIncomeTaxRecord, PerformanceEdgeCases) {
    const std::vector<RecordCase> cases{
        {"unknown sub-codes",
         false,
         "T",
         {{"4", "11", "5"}, {"4", "01", "5"}, {"4", "", "5"}},
         kPerformance,
         "<performans/>"},
        {"unknown sub-code needs no value field",
         false,
         "T",
         {{"4", "11"}},
         kPerformance,
         "<performans/>"},
        {"empty value", false, "T", {{"4", "7", ""}}, kPerformance, "<performans/>"},
        {"repeated sub-code appends",
         false,
         "T",
         {{"4", "7", "1"}, {"4", "1", "3"}, {"4", "7", "2"}},
         kPerformance,
         "<performans><aktifToplami>1</aktifToplami><netSatis>3</netSatis>"
         "<aktifToplami>2</aktifToplami></performans>"},
        {"business summary declarations have it too",
         true,
         "T",
         {{"4", "8", "9"}},
         kPerformance,
         "<performans><odenmisSermaye>9</odenmisSermaye></performans>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sectionAfter(c), c.expected) << c.name;
}

TEST(ApplyIncomeTaxRecord, MissingPerformanceIsCreatedAsLastChildOfOzel) {
    for (const std::string subCode : {"1", "99"}) {
        Document doc = test::skeletonDocument("GELIR");
        const auto ozel = doc.selectSingleNode("//beyanname/ozel");
        ozel.removeChild(doc.selectSingleNode(kPerformance));
        ozel.appendElement("sonEleman");
        SectionLocator locator(doc);
        applyIncomeTaxRecord(locator, {"4", subCode, "5"}, "", false);
        const Document saved = test::reparse(doc);
        const auto children = saved.selectSingleNode("//beyanname/ozel").childElements();
        ASSERT_EQ(children.size(), 4u);
        EXPECT_EQ(
            compactXml(children.back()),
            subCode == "1" ? "<performans><netSatis>5</netSatis></performans>" : "<performans/>");
    }
}

TEST(ApplyIncomeTaxRecord, BusinessSummaryColumns) {
    const std::vector<RecordCase> cases{
        {"empty first column",
         true,
         "T",
         {{"10", kSpaces15 + "       1.234,50"}},
         kSummary,
         "<isletmeHesapOzeti><unvani>T</unvani><donemBasiEM/><donemIciEEH>1.234,50"
         "</donemIciEEH></isletmeHesapOzeti>"},
        {"two columns of 15",
         true,
         "T",
         {{"20", "       100,00    200,00       "}},
         kSummary,
         "<isletmeHesapOzeti><unvani>T</unvani><donemIciSE>100,00</donemIciSE>"
         "<digerGelir>200,00</digerGelir></isletmeHesapOzeti>"},
        {"short field gives both columns the same text",
         true,
         "T",
         {{"81", "125"}},
         kSummary,
         "<isletmeHesapOzeti><unvani>T</unvani><kar>125</kar><zarar>125</zarar>"
         "</isletmeHesapOzeti>"},
        {"20 characters overlap",
         true,
         "T",
         {{"60", "12345678901234567890"}},
         kSummary,
         "<isletmeHesapOzeti><unvani>T</unvani><gider>123456789012345</gider>"
         "<donemSonuE>678901234567890</donemSonuE></isletmeHesapOzeti>"},
        {"longer field leaves the middle out",
         true,
         "T",
         {{"60", "AAAAAAAAAAAAAAA-MID-BBBBBBBBBBBBBBB"}},
         kSummary,
         "<isletmeHesapOzeti><unvani>T</unvani><gider>AAAAAAAAAAAAAAA</gider>"
         "<donemSonuE>BBBBBBBBBBBBBBB</donemSonuE></isletmeHesapOzeti>"},
        {"only spaces are trimmed, tabs stay",
         true,
         "T",
         {{"10", " \t5" + std::string(12, ' ') + "  7\t"}},
         kSummary,
         "<isletmeHesapOzeti><unvani>T</unvani><donemBasiEM>\t5</donemBasiEM>"
         "<donemIciEEH>7\t</donemIciEEH></isletmeHesapOzeti>"},
        {"code 50 adds the title only",
         true,
         "T",
         {{"50", "999"}},
         kSummary,
         "<isletmeHesapOzeti><unvani>T</unvani></isletmeHesapOzeti>"},
        {"unlisted code adds the title only",
         true,
         "T",
         {{"99"}},
         kSummary,
         "<isletmeHesapOzeti><unvani>T</unvani></isletmeHesapOzeti>"},
        {"title once, values in record order",
         true,
         "T",
         {{"50"}, {"81", "1"}, {"10", "2"}},
         kSummary,
         "<isletmeHesapOzeti><unvani>T</unvani><kar>1</kar><zarar>1</zarar>"
         "<donemBasiEM>2</donemBasiEM><donemIciEEH>2</donemIciEEH></isletmeHesapOzeti>"},
        {"no title without enterprise",
         true,
         "",
         {{"50"}, {"81", "1"}},
         kSummary,
         "<isletmeHesapOzeti><kar>1</kar><zarar>1</zarar></isletmeHesapOzeti>"},
        {"detailed declaration ignores summary codes",
         false,
         "T",
         {{"10", "1"}, {"20", "1"}, {"50"}, {"60", "1"}, {"81", "1"}, {"99"}},
         "//beyanname/ozel",
         compactXml(test::skeletonDocument("GELIR").selectSingleNode("//beyanname/ozel"))},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sectionAfter(c), c.expected) << c.name;
}

TEST(ApplyIncomeTaxRecord, ExistingSummaryTitleStaysAsItIs) {
    Document doc = test::skeletonDocument("GELIR", true);
    doc.selectSingleNode(kSummary).appendElement("unvani").setText("Eski");
    SectionLocator locator(doc);
    applyIncomeTaxRecord(locator, {"81", "5"}, "Yeni", true);
    EXPECT_EQ(compactXml(test::reparse(doc).selectSingleNode(kSummary)),
              "<isletmeHesapOzeti><unvani>Eski</unvani><kar>5</kar><zarar>5</zarar>"
              "</isletmeHesapOzeti>");
}

TEST(ApplyIncomeTaxRecord, OnlyTheFirstSummaryIsWritten) {
    Document doc = test::skeletonDocument("GELIR", true);
    doc.selectSingleNode("//isletmeHesapOzetleri").appendElement("isletmeHesapOzeti");
    SectionLocator locator(doc);
    applyIncomeTaxRecord(locator, {"81", "5"}, "T", true);
    EXPECT_EQ(compactXml(test::reparse(doc).selectSingleNode("//isletmeHesapOzetleri")),
              "<isletmeHesapOzetleri><isletmeHesapOzeti><unvani>T</unvani><kar>5</kar>"
              "<zarar>5</zarar></isletmeHesapOzeti><isletmeHesapOzeti/></isletmeHesapOzetleri>");
}

struct FailureCase {
    const char* name;
    std::string document;  // "GELIR", "GELIR-OZET" for a skeleton, or XML text
    bool usesBusinessSummary;
    std::string title;
    InfoRecord record;
    std::string causePart;  // empty: the record must not fail
};

Document documentFor(const std::string& which) {
    if (which == "GELIR")
        return test::skeletonDocument("GELIR");
    if (which == "GELIR-OZET")
        return test::skeletonDocument("GELIR", true);
    return Document::parse(which);
}

TEST(ApplyIncomeTaxRecord, FailuresAndTheirCauses) {
    const std::vector<FailureCase> cases{
        {"asset row with three fields", "GELIR", false, "T", {"1", "100", "5"}, "fields"},
        {"income statement row with one field", "GELIR", false, "T", {"3"}, "fields"},
        {"performance without sub-code", "GELIR", false, "T", {"4"}, "fields"},
        {"known sub-code without value", "GELIR", false, "T", {"4", "7"}, "fields"},
        {"summary pair without field 1", "GELIR-OZET", true, "T", {"10"}, "fields"},
        {"summary code 50 needs only its code", "GELIR-OZET", true, "T", {"50"}, ""},
        {"income statement in a summary declaration",
         "GELIR-OZET",
         true,
         "T",
         {"3", "600", "1", "2"},
         "ayrintiliGelirTablosu"},
        {"balance sheet in a summary declaration",
         "GELIR-OZET",
         true,
         "T",
         {"1", "100", "1", "2"},
         "ayrintiliBilanco"},
        {"summary pair without summary element",
         "GELIR",
         true,
         "",
         {"81", "1"},
         "isletmeHesapOzeti"},
        {"summary title without summary element", "GELIR", true, "T", {"50"}, "isletmeHesapOzeti"},
        {"nothing to append needs no summary element", "GELIR", true, "", {"50"}, ""},
        {"performance without ozel",
         "<beyanname><genel/></beyanname>",
         false,
         "T",
         {"4", "1", "5"},
         "//beyanname/ozel"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Document doc = documentFor(c.document);
        ASSERT_FALSE(doc.empty());
        SectionLocator locator(doc);
        if (c.causePart.empty()) {
            EXPECT_NO_THROW(
                applyIncomeTaxRecord(locator, c.record, c.title, c.usesBusinessSummary));
            continue;
        }
        try {
            applyIncomeTaxRecord(locator, c.record, c.title, c.usesBusinessSummary);
            ADD_FAILURE() << "no failure";
        } catch (const ConversionError& e) {
            EXPECT_NE(std::string(e.what()).find(c.causePart), std::string::npos) << e.what();
        }
    }
}

TEST(ClearBusinessSummary, EmptiesTheFirstSummaryOnly) {
    Document doc = Document::parse(
        "<beyanname><ozel><ekler><isletmeHesapOzetleri><isletmeHesapOzeti><unvani>T</unvani>"
        "<kar>1</kar><zarar>2</zarar></isletmeHesapOzeti><isletmeHesapOzeti><kar>3</kar>"
        "</isletmeHesapOzeti></isletmeHesapOzetleri></ekler></ozel></beyanname>");
    SectionLocator locator(doc);
    clearBusinessSummary(locator);
    EXPECT_EQ(compactXml(doc.selectSingleNode("//isletmeHesapOzetleri")),
              "<isletmeHesapOzetleri><isletmeHesapOzeti/><isletmeHesapOzeti><kar>3</kar>"
              "</isletmeHesapOzeti></isletmeHesapOzetleri>");
}

}  // namespace
}  // namespace kovrel::conversion
