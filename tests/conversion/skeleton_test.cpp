#include "conversion/skeleton.h"

#include <gtest/gtest.h>

#include "platform/xml_document.h"
#include "support/test_support.h"

namespace kovrel::conversion {
namespace {

using infofile::DeclarationHeader;

// Lines written out with CR LF after each, the last one included.
std::string crlf(std::initializer_list<std::string_view> lines) {
    std::string out;
    for (const auto line : lines)
        (out += line) += "\r\n";
    return out;
}

DeclarationHeader sampleHeader() {
    DeclarationHeader h;
    h.taxOfficeCode = "034260";
    h.periodText = "01.01.2023-31.12.2023";
    h.year = "2023";
    h.declarationType = "GELIR";
    h.taxNo = "1234567890";
    h.folderTaxNo = "1234567890";
    h.surname = "ŞAHİN";
    h.firstName = "AYŞE";
    h.identityNo = "12345678901";
    h.tradeRegistryNo = "4567";
    h.email = "ayse@ornek.com";
    h.areaCode = "212";
    h.phoneNo = "5551234";
    h.preparerTaxNo = "9876543210";
    return h;
}

std::string rootTag(std::string_view type) {
    return "<beyanname kodVer=\"" + std::string(type) +
           "_10\" paraBirimi=\"YTL\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
           "xsi:noNamespaceSchemaLocation=\"" +
           std::string(type) + "_10.xsd\">";
}

// The identity lines of sampleHeader, ISO-8859-9 bytes (Ş = DE, İ = DD).
const std::string kIdentity = crlf({
    "\t\t\t<vergiNo>1234567890</vergiNo>",
    "\t\t\t<soyadi>\xDE"
    "AH\xDDN</soyadi>",
    "\t\t\t<adi>AY\xDE"
    "E</adi>",
    "\t\t\t<tcKimlikNo>12345678901</tcKimlikNo>",
    "\t\t\t<ticSicilNo>4567</ticSicilNo>",
    "\t\t\t<eposta>ayse@ornek.com</eposta>",
    "\t\t\t<alanKodu>212</alanKodu>",
    "\t\t\t<telNo>5551234</telNo>",
});

std::string genel(std::string_view type, bool withPreparer) {
    std::string out = crlf({"<?xml version=\"1.0\" encoding=\"ISO-8859-9\"?>"});
    out += crlf({rootTag(type)});
    out += crlf({
        "\t<genel>",
        "\t\t<idari>",
        "\t\t\t<vdKodu>034260</vdKodu>",
        "\t\t\t<donem>",
        "\t\t\t\t<tip>yillik</tip>",
        "\t\t\t\t<yil>2023</yil>",
        "\t\t\t</donem>",
        "\t\t</idari>",
        "\t\t<mukellef>",
    });
    out += kIdentity;
    out += crlf({"\t\t</mukellef>", "\t\t<hsv sifat=\"kendisi\">"});
    out += kIdentity;
    out += crlf({"\t\t</hsv>"});
    if (withPreparer)
        out +=
            crlf({"\t\t<duzenleyen>", "\t\t\t<vergiNo>9876543210</vergiNo>", "\t\t</duzenleyen>"});
    out += crlf({"\t</genel>"});
    return out;
}

const std::string kIncomeTaxOzel = crlf({
    "\t<ozel>",
    "\t\t<kazancDetay>",
    "\t\t\t<ticariKazancBildirimi>",
    "\t\t\t\t<ticariKazanclar>",
    "\t\t\t\t</ticariKazanclar>",
    "\t\t\t</ticariKazancBildirimi>",
    "\t\t</kazancDetay>",
    "\t\t<ekler>",
    "\t\t\t<ayrintiliBilancoGelirTablosu>",
    "\t\t\t\t<ayrintiliBilanco>",
    "\t\t\t\t</ayrintiliBilanco>",
    "\t\t\t\t<ayrintiliGelirTablosu>",
    "\t\t\t\t</ayrintiliGelirTablosu>",
    "\t\t\t</ayrintiliBilancoGelirTablosu>",
    "\t\t</ekler>",
    "\t\t<performans>",
    "\t\t</performans>",
    "\t</ozel>",
    "</beyanname>",
});

const std::string kBusinessSummaryOzel = crlf({
    "\t<ozel>",
    "\t\t<kazancDetay>",
    "\t\t\t<ticariKazancBildirimi>",
    "\t\t\t\t<ticariKazanclar>",
    "\t\t\t\t</ticariKazanclar>",
    "\t\t\t</ticariKazancBildirimi>",
    "\t\t</kazancDetay>",
    "\t\t<ekler>",
    "\t\t\t<isletmeHesapOzetleri>",
    "\t\t\t\t<isletmeHesapOzeti>",
    "\t\t\t\t</isletmeHesapOzeti>",
    "\t\t\t</isletmeHesapOzetleri>",
    "\t\t</ekler>",
    "\t\t<performans>",
    "\t\t</performans>",
    "\t</ozel>",
    "</beyanname>",
});

const std::string kCorporateTaxOzel = crlf({
    "\t<ozel>",
    "\t\t<kazancinTespitYontemi>1</kazancinTespitYontemi>",
    "\t\t<bilancoTip>703</bilancoTip>",
    "\t\t<maliBilgiler>",
    "\t\t</maliBilgiler>",
    "\t\t<ekler>",
    "\t\t\t<tdhpAktif>",
    "\t\t\t</tdhpAktif>",
    "\t\t\t<tdhpAktifDipnot>",
    "\t\t\t</tdhpAktifDipnot>",
    "\t\t\t<tdhpPasif>",
    "\t\t\t</tdhpPasif>",
    "\t\t\t<tdhpPasifDipnot>",
    "\t\t\t</tdhpPasifDipnot>",
    "\t\t\t<tdhpGelirTablosu>",
    "\t\t\t</tdhpGelirTablosu>",
    "\t\t\t<tdhpGelirTablosuDipnot>",
    "\t\t\t</tdhpGelirTablosuDipnot>",
    "\t\t\t<kurumOrtaklariYKuruluUyeleri>",
    "\t\t\t</kurumOrtaklariYKuruluUyeleri>",
    "\t\t</ekler>",
    "\t</ozel>",
    "</beyanname>",
});

const std::string kOtherTypeOzel = crlf({
    "\t<ozel>",
    "\t\t<ekler>",
    "\t\t</ekler>",
    "\t</ozel>",
    "</beyanname>",
});

struct SkeletonCase {
    const char* name;
    std::string declarationType;
    bool usesBusinessSummary;
    std::string preparerTaxNo;
    std::string expectedType;
    const std::string& expectedOzel;
};

TEST(WriteDeclarationSkeleton, ExactBytesPerType) {
    const std::vector<SkeletonCase> cases{
        {"income tax", "GELIR", false, "9876543210", "GELIR", kIncomeTaxOzel},
        {"income tax typed in lower case", "gelir", false, "9876543210", "GELIR", kIncomeTaxOzel},
        {"business summary", "GELIR", true, "9876543210", "GELIR", kBusinessSummaryOzel},
        {"corporate tax", "KURUMLAR", false, "9876543210", "KURUMLAR", kCorporateTaxOzel},
        {"corporate tax without preparer", "Kurumlar", false, "", "KURUMLAR", kCorporateTaxOzel},
        {"other type", "XYZ", false, "", "XYZ", kOtherTypeOzel},
        {"other type with the summary flag", "XYZ", true, "9876543210", "XYZ", kOtherTypeOzel},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeclarationHeader h = sampleHeader();
        h.declarationType = c.declarationType;
        h.usesBusinessSummary = c.usesBusinessSummary;
        h.preparerTaxNo = c.preparerTaxNo;
        const std::string expected =
            genel(c.expectedType, !c.preparerTaxNo.empty()) + c.expectedOzel;
        EXPECT_EQ(writeDeclarationSkeleton(h), expected);
        EXPECT_FALSE(platform::xml::Document::parse(expected).empty());
    }
}

TEST(WriteDeclarationSkeleton, EmptyValuesKeepTheirElements) {
    DeclarationHeader h = sampleHeader();
    h.surname.clear();
    h.identityNo.clear();
    h.email.clear();
    const std::string text = writeDeclarationSkeleton(h);
    for (const char* line :
         {"\r\n\t\t\t<soyadi></soyadi>\r\n", "\r\n\t\t\t<tcKimlikNo></tcKimlikNo>\r\n",
          "\r\n\t\t\t<eposta></eposta>\r\n"}) {
        const auto first = text.find(line);
        ASSERT_NE(first, std::string::npos) << line;
        EXPECT_NE(text.find(line, first + 1), std::string::npos) << "under hsv too: " << line;
    }
}

// Surname, first name and e-mail arrive escaped; every other value is escaped here, once, so a
// stray & or < in any header line cannot make the new file unreadable.
TEST(WriteDeclarationSkeleton, EscapesEveryRawHeaderValueExactlyOnce) {
    DeclarationHeader h = sampleHeader();
    h.taxOfficeCode = "V&1";
    h.year = "2<23";
    h.taxNo = "12&34";
    h.surname = "A &amp; B";
    h.firstName = "&lt;C&gt;";
    h.identityNo = "<1>";
    h.tradeRegistryNo = "R\"1";
    h.email = "x&amp;y@z";
    h.areaCode = "a'b";
    h.phoneNo = "5>5";
    h.preparerTaxNo = "P&amp;1";
    const std::string text = writeDeclarationSkeleton(h);
    for (const char* line : {
             "\t\t\t<vdKodu>V&amp;1</vdKodu>\r\n",
             "\t\t\t\t<yil>2&lt;23</yil>\r\n",
             "\t\t\t<vergiNo>12&amp;34</vergiNo>\r\n",
             "\t\t\t<soyadi>A &amp; B</soyadi>\r\n",
             "\t\t\t<adi>&lt;C&gt;</adi>\r\n",
             "\t\t\t<tcKimlikNo>&lt;1&gt;</tcKimlikNo>\r\n",
             "\t\t\t<ticSicilNo>R&quot;1</ticSicilNo>\r\n",
             "\t\t\t<eposta>x&amp;y@z</eposta>\r\n",
             "\t\t\t<alanKodu>a&apos;b</alanKodu>\r\n",
             "\t\t\t<telNo>5&gt;5</telNo>\r\n",
             "\t\t\t<vergiNo>P&amp;amp;1</vergiNo>\r\n",
         }) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
    const auto doc = platform::xml::Document::parse(text);
    ASSERT_FALSE(doc.empty());
    EXPECT_EQ(doc.selectSingleNode("//mukellef/vergiNo").text(), "12&34");
    EXPECT_EQ(doc.selectSingleNode("//hsv/soyadi").text(), "A & B");
    EXPECT_EQ(doc.selectSingleNode("//mukellef/adi").text(), "<C>");
    EXPECT_EQ(doc.selectSingleNode("//duzenleyen/vergiNo").text(), "P&amp;1");
    EXPECT_EQ(doc.selectSingleNode("//idari/donem/yil").text(), "2<23");
}

}  // namespace
}  // namespace kovrel::conversion
