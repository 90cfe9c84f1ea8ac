#include "platform/xml_document.h"

#include <gtest/gtest.h>

#include <chrono>

#include "support/test_support.h"

namespace kovrel::platform::xml {
namespace {

using test::compactXml;

constexpr const char* kLatin5Declaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-9\"?>";

struct HostileCase {
    const char* name;
    std::string bytes;
};

// Every document type declaration is refused, so no entity of any kind reaches the tree.
TEST(XmlDocumentParse, RefusesDocumentTypesAndEntities) {
    test::TempFolder folder;
    const auto secret = folder.path() / "secret.txt";
    test::writeBytes(secret, "GIZLI-ICERIK");
    const auto dtd = folder.path() / "evil.dtd";
    test::writeBytes(dtd, "<!ENTITY leak SYSTEM \"file://" + secret.string() + "\">");

    const std::vector<HostileCase> cases{
        {"external entity",
         "<!DOCTYPE r [<!ENTITY x SYSTEM \"file://" + secret.string() + "\">]><r>&x;</r>"},
        {"external DTD", "<!DOCTYPE r SYSTEM \"file://" + dtd.string() + "\"><r>&leak;</r>"},
        {"parameter entity",
         "<!DOCTYPE r [<!ENTITY % p SYSTEM \"file://" + dtd.string() + "\"> %p;]><r>&leak;</r>"},
        {"internal entity", "<!DOCTYPE r [<!ENTITY e \"boom\">]><r>&e;</r>"},
        {"entity expansion bomb",
         "<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
         "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d "
         "\"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
         "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g "
         "\"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\"><!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\">]>"
         "<r>&h;&h;&h;&h;&h;&h;&h;&h;&h;&h;</r>"},
        {"empty document type", "<!DOCTYPE r><r>x</r>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto start = std::chrono::steady_clock::now();
        std::string error;
        const Document doc = Document::parse(c.bytes, &error);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_TRUE(doc.empty());
        EXPECT_FALSE(doc.root());
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(doc.serialize().find("GIZLI"), std::string::npos);
        EXPECT_EQ(error.find("GIZLI"), std::string::npos);
    }
}

TEST(XmlDocumentParse, InvalidXmlGivesEmptyDocumentAndTheParsersMessage) {
    const std::vector<HostileCase> cases{
        {"mismatched tag", "<a>\r\n<b>\r\n</a>"},
        {"not XML", "hello"},
        {"empty input", ""},
        {"two roots", "<a/><b/>"},
        {"undefined entity", "<a>&nbsp;</a>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        const Document doc = Document::parse(c.bytes, &error);
        EXPECT_TRUE(doc.empty());
        EXPECT_FALSE(doc.selectSingleNode("//a"));
        EXPECT_TRUE(doc.selectNodes(Node(), "//a").empty());
        EXPECT_FALSE(error.empty());
    }
    std::string error;
    Document::parse("<a>\r\n<b>\r\n</a>", &error);
    EXPECT_NE(error.find("line 3"), std::string::npos) << error;
}

// The library writes namespace names as they stand: a file is taken in only when what it saves
// loads again with the same names.
TEST(XmlDocumentParse, NamespaceNamesLoadOnlyWhenTheySaveBack) {
    const struct {
        const char* document;
        bool loads;
    } cases[] = {
        {"<r xmlns:a=\"u&lt;v\"/>", false},
        {"<r><s xmlns=\"a&amp;b\"/></r>", false},
        {"<r xmlns:a=\"a&#9;b\"/>", false},
        {"<r xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><s xmlns:q='say \"hi\"'/></r>",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.document);
        std::string error;
        const Document doc = Document::parse(c.document, &error);
        EXPECT_EQ(doc.empty(), !c.loads) << error;
        if (c.loads) {
            EXPECT_EQ(Document::parse(doc.serialize()).serialize(), doc.serialize());
        }
    }
}

TEST(XmlDocumentParse, DropsLayoutWhitespaceButKeepsAValueOfSpaces) {
    const Document doc =
        Document::parse("<a>\r\n\t<b>x y</b>\r\n\t<u>   </u>\r\n\t<e>\r\n\t</e>\r\n</a>");
    ASSERT_FALSE(doc.empty());
    EXPECT_EQ(compactXml(doc.root()), "<a><b>x y</b><u>   </u><e/></a>");
    EXPECT_EQ(doc.root().firstChildElement().name(), "b");
}

TEST(XmlDocumentSerialize, UsesDeclaredEncodingCrLfAndLibraryIndentation) {
    const Document doc =
        Document::parse(std::string(kLatin5Declaration) + "\r\n<a>\r\n\t<b>\xFE</b>\r\n\t<c/></a>");
    ASSERT_FALSE(doc.empty());
    doc.root().appendElement("d").setText("\xC4\x9F");  // ğ
    EXPECT_EQ(doc.serialize(),
              std::string(kLatin5Declaration) +
                  "\r\n<a>\r\n  <b>\xFE</b>\r\n  <c/>\r\n  <d>\xF0</d>\r\n</a>\r\n");
}

TEST(XmlDocumentSerialize, WithoutEncodingDeclarationWritesUtf8) {
    const Document doc = Document::parse("<a>\xC5\x9F</a>");
    EXPECT_EQ(doc.serialize(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<a>\xC5\x9F</a>\r\n");
}

TEST(XmlDocumentSerialize, EmptyDocumentWritesNothing) {
    EXPECT_EQ(Document().serialize(), "");
}

// ÇüçıöİÖÜŞşĞğ in ISO-8859-9 and in UTF-8.
constexpr const char* kTurkishLatin5 = "\xC7\xFC\xE7\xFD\xF6\xDD\xD6\xDC\xDE\xFE\xD0\xF0";
constexpr const char* kTurkishUtf8 = "ÇüçıöİÖÜŞşĞğ";

TEST(XmlDocumentSerialize, TurkishLettersSurviveARoundTrip) {
    const std::string file =
        std::string(kLatin5Declaration) + "\r\n<a>" + kTurkishLatin5 + "</a>\r\n";
    const Document doc = Document::parse(file);
    ASSERT_FALSE(doc.empty());
    EXPECT_EQ(doc.root().text(), kTurkishUtf8);
    EXPECT_EQ(doc.serialize(), file);
}

TEST(XmlDocumentSetText, EscapesOnceWhenWrittenAndReadsBackExactly) {
    const std::vector<std::string> texts{
        "a & b < c > d", "\"tırnak\" ve 'kesme'",   "&amp; already",
        "]]> end",       std::string(kTurkishUtf8), "  spaces kept  ",
    };
    for (const auto& text : texts) {
        SCOPED_TRACE(text);
        Document doc = Document::parse(std::string(kLatin5Declaration) + "<a><v>old</v></a>");
        const Node v = doc.root().firstChildElement();
        v.setText(text);
        EXPECT_EQ(v.text(), text);
        const std::string saved = doc.serialize();
        const Document reread = Document::parse(saved);
        ASSERT_FALSE(reread.empty()) << saved;
        EXPECT_EQ(reread.root().firstChildElement().text(), text);
        EXPECT_EQ(saved.find("old"), std::string::npos);
    }
    Document doc = Document::parse(std::string(kLatin5Declaration) + "<a><v>x</v></a>");
    doc.root().firstChildElement().setText("a & b < c");
    EXPECT_NE(doc.serialize().find("<v>a &amp; b &lt; c</v>"), std::string::npos);
    doc.root().firstChildElement().setText("&amp;");
    EXPECT_NE(doc.serialize().find("<v>&amp;amp;</v>"), std::string::npos);
}

TEST(XmlDocumentSetText, EmptyTextLeavesTheElementEmptyAndReplacesChildren) {
    Document doc = Document::parse("<a><v><x/>text</v></a>");
    const Node v = doc.root().firstChildElement();
    v.setText("");
    EXPECT_EQ(compactXml(doc.root()), "<a><v/></a>");
    v.setText("yeni");
    EXPECT_EQ(compactXml(doc.root()), "<a><v>yeni</v></a>");
}

TEST(XmlDocumentSetText, CharacterOutsideLatin5BecomesAReference) {
    Document doc = Document::parse(std::string(kLatin5Declaration) + "<a/>");
    doc.root().setText("5 \xE2\x82\xAC");  // €
    const std::string saved = doc.serialize();
    EXPECT_NE(saved.find("<a>5 &#8364;</a>"), std::string::npos) << saved;
    EXPECT_EQ(Document::parse(saved).root().text(), "5 \xE2\x82\xAC");
}

TEST(XmlDocumentSelect, FirstMatchInDocumentOrder) {
    const Document doc =
        Document::parse("<r><s><t>1</t></s><q><s><t>nested</t></s></q><s><t>2</t><t>3</t></s></r>");
    EXPECT_EQ(doc.selectSingleNode("//r/s/t").text(), "1");
    EXPECT_EQ(doc.selectSingleNode("//s/t").text(), "1");
    EXPECT_EQ(doc.selectSingleNode("//q/s/t").text(), "nested");
    EXPECT_FALSE(doc.selectSingleNode("//r/missing"));
    std::vector<std::string> texts;
    for (const Node n : doc.selectNodes(Node(), "//r/s/t"))
        texts.push_back(n.text());
    EXPECT_EQ(texts, (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_THROW(doc.selectSingleNode("//r/["), XmlError);
}

TEST(XmlDocumentSelect, RelativeToAnElementAndStableWhileRemoving) {
    const Document doc =
        Document::parse("<t><row><u>A</u></row><row><u>B</u></row><row><u>A</u></row><other/></t>");
    const Node table = doc.root();
    const auto rows = doc.selectNodes(table, "row[u=\"A\"]");
    ASSERT_EQ(rows.size(), 2u);
    for (const Node row : rows)
        table.removeChild(row);
    EXPECT_EQ(compactXml(table), "<t><row><u>B</u></row><other/></t>");

    const auto children = table.childElements();
    for (const Node child : children)
        table.removeChild(child);
    EXPECT_EQ(compactXml(table), "<t/>");
}

TEST(XmlDocumentNode, AppendsAtTheEndAndNavigates) {
    const Document doc = Document::parse("<a><b/><c/><b/></a>");
    const Node added = doc.root().appendElement("d");
    EXPECT_EQ(added.parent(), doc.root());
    EXPECT_EQ(doc.root().childElements("b").size(), 2u);
    EXPECT_EQ(doc.root().firstChildElement().nextSiblingElement().name(), "c");
    EXPECT_EQ(compactXml(doc.root()), "<a><b/><c/><b/><d/></a>");
    EXPECT_FALSE(doc.root().parent());
}

}  // namespace
}  // namespace kovrel::platform::xml
