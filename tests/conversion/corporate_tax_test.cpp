#include "conversion/corporate_tax.h"

#include <gtest/gtest.h>

#include <cctype>

#include "conversion/conversion_error.h"
#include "support/test_support.h"

namespace kovrel::conversion {
namespace {

using infofile::InfoRecord;
using platform::xml::Document;
using test::compactXml;

// Whether message names path itself, not a longer path that starts with it.
bool namesPath(const std::string& message, const std::string& path) {
    const auto at = message.find(path);
    if (at == std::string::npos)
        return false;
    const auto end = at + path.size();
    return end == message.size() || !std::isalnum(static_cast<unsigned char>(message[end]));
}

// ozel of a new corporate tax declaration after the clearing: maliBilgiler moves to the end.
const std::string kClearedOzel =
    "<ozel><kazancinTespitYontemi>1</kazancinTespitYontemi><bilancoTip>703</bilancoTip><ekler>"
    "<tdhpAktif/><tdhpAktifDipnot/><tdhpPasif/><tdhpPasifDipnot/><tdhpGelirTablosu/>"
    "<tdhpGelirTablosuDipnot/><kurumOrtaklariYKuruluUyeleri/></ekler><maliBilgiler/></ozel>";

// ozel after the clearing and the records, as saved.
std::string ozelAfter(Document doc, const std::vector<InfoRecord>& records) {
    SectionLocator locator(doc);
    clearCorporateTaxSections(locator);
    for (const auto& record : records)
        applyCorporateTaxRecord(locator, record);
    return compactXml(test::reparse(doc).selectSingleNode("//beyanname/ozel"));
}

std::string ozelAfter(const std::vector<InfoRecord>& records) {
    return ozelAfter(test::skeletonDocument("KURUMLAR"), records);
}

// kClearedOzel with one place's empty element replaced by its content.
std::string clearedWith(const std::string& emptyElement, const std::string& filled) {
    std::string out = kClearedOzel;
    out.replace(out.find(emptyElement), emptyElement.size(), filled);
    return out;
}

TEST(ClearCorporateTaxSections, NewDeclarationWithoutRecords) {
    EXPECT_EQ(ozelAfter({}), kClearedOzel);
}

TEST(ClearCorporateTaxSections, EmptiesTheRowsOfTheSixTablesOnly) {
    Document doc = Document::parse(
        "<beyanname><genel/><ozel><maliBilgiler><stoklar>1</stoklar></maliBilgiler>"
        "<kazancinTespitYontemi>1</kazancinTespitYontemi><ekler>"
        "<tdhpAktif><tdhpAktifSatiri><kod>1</kod></tdhpAktifSatiri><not>kalir</not>"
        "<tdhpAktifSatiri/></tdhpAktif>"
        "<tdhpAktifDipnot><tdhpAktifDipnotSatiri><deger>x</deger></tdhpAktifDipnotSatiri>"
        "</tdhpAktifDipnot>"
        "<tdhpPasif><tdhpPasifSatiri/><tdhpAktifSatiri>baska tablonun adi</tdhpAktifSatiri>"
        "</tdhpPasif>"
        "<tdhpPasifDipnot><tdhpPasifDipnotSatiri/></tdhpPasifDipnot>"
        "<tdhpGelirTablosu><tdhpGelirTablosuSatiri/><tdhpGelirTablosuSatiri/></tdhpGelirTablosu>"
        "<tdhpGelirTablosuDipnot><tdhpGelirTablosuDipnotSatiri/></tdhpGelirTablosuDipnot>"
        "<kurumOrtaklariYKuruluUyeleri><ortak>kalir</ortak></kurumOrtaklariYKuruluUyeleri>"
        "</ekler><maliBilgiler><stoklar>2</stoklar></maliBilgiler><son/></ozel></beyanname>");
    EXPECT_EQ(ozelAfter(std::move(doc), {}),
              "<ozel><kazancinTespitYontemi>1</kazancinTespitYontemi><ekler>"
              "<tdhpAktif><not>kalir</not></tdhpAktif><tdhpAktifDipnot/>"
              "<tdhpPasif><tdhpAktifSatiri>baska tablonun adi</tdhpAktifSatiri></tdhpPasif>"
              "<tdhpPasifDipnot/><tdhpGelirTablosu/><tdhpGelirTablosuDipnot/>"
              "<kurumOrtaklariYKuruluUyeleri><ortak>kalir</ortak></kurumOrtaklariYKuruluUyeleri>"
              "</ekler><son/><maliBilgiler/></ozel>");
}

TEST(ClearCorporateTaxSections, MissingPlacesFailWithTheirPath) {
    const std::vector<std::string> tables{"tdhpAktif",        "tdhpAktifDipnot",
                                          "tdhpPasif",        "tdhpPasifDipnot",
                                          "tdhpGelirTablosu", "tdhpGelirTablosuDipnot"};
    for (const auto& missing : tables) {
        Document doc = test::skeletonDocument("KURUMLAR");
        const auto table = doc.selectSingleNode("//beyanname/ozel/ekler/" + missing);
        table.parent().removeChild(table);
        SectionLocator locator(doc);
        try {
            clearCorporateTaxSections(locator);
            ADD_FAILURE() << missing;
        } catch (const ConversionError& e) {
            EXPECT_TRUE(namesPath(e.what(), "//beyanname/ozel/ekler/" + missing)) << e.what();
        }
    }
    // An income tax file has none of them.
    Document income = test::skeletonDocument("GELIR");
    SectionLocator locator(income);
    EXPECT_THROW(clearCorporateTaxSections(locator), ConversionError);
}

TEST(ApplyCorporateTaxRecord, TableRows) {
    struct Case {
        const char* name;
        std::vector<InfoRecord> records;
        std::string emptyElement, filled;
    };
    const std::vector<Case> cases{
        {"asset row without od",
         {{"1", "100", "", "250"}},
         "<tdhpAktif/>",
         "<tdhpAktif><tdhpAktifSatiri><kod>100</kod><cd>250</cd></tdhpAktifSatiri></tdhpAktif>"},
        {"liability rows in record order",
         {{"2", "500", "1.234,56", "-7"}, {"2", "501", "0", "", "extra"}},
         "<tdhpPasif/>",
         "<tdhpPasif><tdhpPasifSatiri><kod>500</kod><od>1.234,56</od><cd>-7</cd>"
         "</tdhpPasifSatiri><tdhpPasifSatiri><kod>501</kod><od>0</od></tdhpPasifSatiri>"
         "</tdhpPasif>"},
        {"empty income statement row",
         {{"3", "", "", ""}},
         "<tdhpGelirTablosu/>",
         "<tdhpGelirTablosu><tdhpGelirTablosuSatiri/></tdhpGelirTablosu>"},
        {"bytes kept without mapping",
         {{"1", "\xDE", "&<'", ""}},
         "<tdhpAktif/>",
         "<tdhpAktif><tdhpAktifSatiri><kod>Ş</kod><od>&<'</od></tdhpAktifSatiri></tdhpAktif>"},
        {"asset footnote",
         {{"11", "Not \x9F\x98"}},
         "<tdhpAktifDipnot/>",
         "<tdhpAktifDipnot><tdhpAktifDipnotSatiri><deger>Not şİ</deger>"
         "</tdhpAktifDipnotSatiri></tdhpAktifDipnot>"},
        {"empty liability footnote",
         {{"12", ""}},
         "<tdhpPasifDipnot/>",
         "<tdhpPasifDipnot><tdhpPasifDipnotSatiri><deger/></tdhpPasifDipnotSatiri>"
         "</tdhpPasifDipnot>"},
        {"footnote mapping: 255 is a space, tab and 0xE9 dropped, reserved characters kept",
         {{"13", "a\tb\xE9 & <c> 'd'\xFF"}},
         "<tdhpGelirTablosuDipnot/>",
         "<tdhpGelirTablosuDipnot><tdhpGelirTablosuDipnotSatiri><deger>ab & <c> 'd' </deger>"
         "</tdhpGelirTablosuDipnotSatiri></tdhpGelirTablosuDipnot>"},
        {"ignored codes",
         {{"04", "1", "5"}, {"10", "x"}, {"81", "1"}, {"5", "1", "2", "3"}, {""}},
         "",
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ozelAfter(c.records),
                  c.emptyElement.empty() ? kClearedOzel : clearedWith(c.emptyElement, c.filled));
    }
}

TEST(ApplyCorporateTaxRecord, SummaryItemPerName) {
    const std::vector<std::pair<std::string, std::string>> items{
        {"1", "aktifToplam"},
        {"2", "odenmisSermaye"},
        {"3", "maddiDuranVarliklar"},
        {"4", "maliDuranVarliklar"},
        {"5", "stoklar"},
        {"6", "kisaVadeliAlacaklar"},
        {"7", "kisaVadeliBorclar"},
        {"8", "uzunVadeliAlacaklar"},
        {"9", "uzunVadeliBorclar"},
        {"10", "netSatislar"},
        {"11", "satislarinMaliyeti"},
        {"12", "faaliyetGiderleri"},
        {"13", "finansmanGiderleri"},
        {"14", "amortismanGiderleri"},
        {"15", "digerFaaliyetGiderZarar"},
    };
    for (const auto& [name, element] : items) {
        EXPECT_EQ(ozelAfter({{"4", name, "-1.500,25"}}),
                  clearedWith("<maliBilgiler/>", "<maliBilgiler><" + element + ">-1.500,25</" +
                                                     element + "></maliBilgiler>"))
            << name;
    }
}

TEST(ApplyCorporateTaxRecord, SummaryEdgeCases) {
    struct Case {
        const char* name;
        std::vector<InfoRecord> records;
        std::string maliBilgiler;
    };
    const std::vector<Case> cases{
        {"unknown names",
         {{"4", "16", "5"}, {"4", "0", "5"}, {"4", "01", "5"}, {"4", "", "5"}},
         "<maliBilgiler/>"},
        {"unknown name needs no value field", {{"4", "16"}}, "<maliBilgiler/>"},
        {"empty value", {{"4", "7", ""}}, "<maliBilgiler/>"},
        {"repeated item appends, never adds up",
         {{"4", "1", "10"}, {"4", "5", "3"}, {"4", "1", "20"}},
         "<maliBilgiler><aktifToplam>10</aktifToplam><stoklar>3</stoklar>"
         "<aktifToplam>20</aktifToplam></maliBilgiler>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ozelAfter(c.records), clearedWith("<maliBilgiler/>", c.maliBilgiler));
    }
}

TEST(ApplyCorporateTaxRecord, MissingSummaryIsCreatedAtTheEndOfOzel) {
    Document doc = test::skeletonDocument("KURUMLAR");
    SectionLocator locator(doc);
    clearCorporateTaxSections(locator);
    const auto ozel = doc.selectSingleNode("//beyanname/ozel");
    ozel.removeChild(doc.selectSingleNode("//beyanname/ozel/maliBilgiler"));
    ozel.appendElement("son");
    SectionLocator fresh(doc);
    applyCorporateTaxRecord(fresh, {"4", "16"});
    applyCorporateTaxRecord(fresh, {"4", "5", "8"});
    const Document saved = test::reparse(doc);
    const auto children = saved.selectSingleNode("//beyanname/ozel").childElements();
    ASSERT_EQ(children.size(), 5u);
    EXPECT_EQ(compactXml(children[3]), "<son/>");
    EXPECT_EQ(compactXml(children[4]), "<maliBilgiler><stoklar>8</stoklar></maliBilgiler>");
}

TEST(ApplyCorporateTaxRecord, FailuresAndTheirCauses) {
    struct Case {
        const char* name;
        InfoRecord record;
        std::string removedTable;  // removed from the document before the record
        std::string causePart;
    };
    const std::vector<Case> cases{
        {"asset row with three fields", {"1", "100", "5"}, "", "fields"},
        {"income statement row with one field", {"3"}, "", "fields"},
        {"footnote without its text field", {"11"}, "", "fields"},
        {"summary without name", {"4"}, "", "fields"},
        {"known summary item without value field", {"4", "1"}, "", "fields"},
        {"liability table missing",
         {"2", "1", "2", "3"},
         "tdhpPasif",
         "//beyanname/ozel/ekler/tdhpPasif"},
        {"income statement footnotes missing",
         {"13", "x"},
         "tdhpGelirTablosuDipnot",
         "//beyanname/ozel/ekler/tdhpGelirTablosuDipnot"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Document doc = test::skeletonDocument("KURUMLAR");
        {
            SectionLocator locator(doc);
            clearCorporateTaxSections(locator);
        }
        if (!c.removedTable.empty()) {
            const auto table = doc.selectSingleNode("//beyanname/ozel/ekler/" + c.removedTable);
            table.parent().removeChild(table);
        }
        SectionLocator locator(doc);
        try {
            applyCorporateTaxRecord(locator, c.record);
            ADD_FAILURE() << "no failure";
        } catch (const ConversionError& e) {
            EXPECT_NE(std::string(e.what()).find(c.causePart), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace kovrel::conversion
