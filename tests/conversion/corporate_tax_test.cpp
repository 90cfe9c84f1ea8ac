#include "conversion/corporate_tax.h"

#include <gtest/gtest.h>

#include "conversion/conversion_error.h"
#include "support/test_support.h"

namespace kovrel::conversion {
namespace {

using platform::xml::Document;

// A second run removes the rows a first one wrote and nothing else; maliBilgiler, however many
// there are, becomes one empty element at the end of ozel.
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
        "</ekler><maliBilgiler><stoklar>2</stoklar></maliBilgiler><son/></ozel></beyanname>",
        nullptr, corporateTaxRowNames());
    SectionLocator locator(doc);
    clearCorporateTaxSections(locator);
    EXPECT_EQ(test::compactXml(test::reparse(doc).selectSingleNode("//beyanname/ozel")),
              "<ozel><kazancinTespitYontemi>1</kazancinTespitYontemi><ekler>"
              "<tdhpAktif><not>kalir</not></tdhpAktif><tdhpAktifDipnot/>"
              "<tdhpPasif><tdhpAktifSatiri>baska tablonun adi</tdhpAktifSatiri></tdhpPasif>"
              "<tdhpPasifDipnot/><tdhpGelirTablosu/><tdhpGelirTablosuDipnot/>"
              "<kurumOrtaklariYKuruluUyeleri><ortak>kalir</ortak></kurumOrtaklariYKuruluUyeleri>"
              "</ekler><son/><maliBilgiler/></ozel>");
}

TEST(ApplyCorporateTaxRecord, FailuresAndTheirCauses) {
    const struct {
        const char* name;
        infofile::InfoRecord record;
        std::string causePart;
    } cases[] = {
        {"asset row with three fields", {"1", "100", "5"}, "fields"},
        {"income statement row with one field", {"3"}, "fields"},
        {"footnote without its text field", {"11"}, "fields"},
        {"summary without name", {"4"}, "fields"},
        {"known summary item without value field", {"4", "1"}, "fields"},
        {"footnote table missing", {"13", "x"}, "//beyanname/ozel/ekler/tdhpGelirTablosuDipnot"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Document doc = test::skeletonDocument("KURUMLAR");
        const auto notes = doc.selectSingleNode("//tdhpGelirTablosuDipnot");
        notes.parent().removeChild(notes);
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
