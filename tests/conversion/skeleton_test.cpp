#include "conversion/skeleton.h"

#include <gtest/gtest.h>

#include "platform/xml_document.h"

namespace kovrel::conversion {
namespace {

infofile::DeclarationHeader sampleHeader() {
    infofile::DeclarationHeader h;
    h.taxOfficeCode = "034260";
    h.periodText = h.year = "2023";
    h.declarationType = "gelir";
    h.taxNo = h.folderTaxNo = "1234567890";
    h.surname = "ŞAHİN";
    h.preparerTaxNo = "9876543210";
    return h;
}

// The saved file is rewritten by the library; what the skeleton decides is its encoding, the
// root's attributes and the identity lines, written twice and the preparer once.
TEST(WriteDeclarationSkeleton, HeaderPartInISO88599) {
    const std::string text = writeDeclarationSkeleton(sampleHeader());
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"ISO-8859-9\"?>\r\n<beyanname "
                         "kodVer=\"GELIR_10\" paraBirimi=\"YTL\" "
                         "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                         "xsi:noNamespaceSchemaLocation=\"GELIR_10.xsd\">\r\n",
                         0),
              0u);
    const auto soyadi = text.find(
        "\t\t\t<soyadi>\xDE"
        "AH\xDDN</soyadi>\r\n\t\t\t<adi></adi>\r\n");
    ASSERT_NE(soyadi, std::string::npos);
    EXPECT_NE(text.find("<soyadi>", soyadi + 1), std::string::npos) << "under hsv too";
    EXPECT_NE(text.find("\t\t<duzenleyen>\r\n\t\t\t<vergiNo>9876543210</vergiNo>\r\n"),
              std::string::npos);

    auto withoutPreparer = sampleHeader();
    withoutPreparer.preparerTaxNo.clear();
    EXPECT_EQ(writeDeclarationSkeleton(withoutPreparer).find("duzenleyen"), std::string::npos);
}

// Surname, first name and e-mail arrive escaped; every other value is escaped here, once, so a
// stray & or < in any header line cannot make the new file unreadable.
TEST(WriteDeclarationSkeleton, EscapesEveryRawHeaderValueExactlyOnce) {
    auto h = sampleHeader();
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
    EXPECT_EQ(doc.selectSingleNode("//hsv/soyadi").text(), "A & B");
    EXPECT_EQ(doc.selectSingleNode("//duzenleyen/vergiNo").text(), "P&amp;1");
}

}  // namespace
}  // namespace kovrel::conversion
