#include "platform/xml/document.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace kovrel::platform::xml {
namespace {

using test::compactXml;

constexpr const char* kLatin5Declaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-9\"?>";

// Every document type declaration is refused, so no entity of any kind reaches the tree, and
// the message does not quote what an entity would have read.
TEST(XmlDocumentParse, RefusesDocumentTypesAndEntities) {
    test::TempFolder folder;
    const std::string secret = "file://" + (folder.path() / "secret.txt").string();
    const std::string dtd = "file://" + (folder.path() / "evil.dtd").string();
    test::writeBytes(folder.path() / "secret.txt", "GIZLI-ICERIK");
    test::writeBytes(folder.path() / "evil.dtd", "<!ENTITY leak SYSTEM \"" + secret + "\">");
    for (const std::string& bytes : {
             "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + secret + "\">]><r>&x;</r>",
             "<!DOCTYPE r SYSTEM \"" + dtd + "\"><r>&leak;</r>",
             "<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + dtd + "\"> %p;]><r>&leak;</r>",
         }) {
        SCOPED_TRACE(bytes);
        const std::string error = test::failureOf([&] { Document::parse(bytes); });
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find("GIZLI"), std::string::npos);
    }
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
        const std::string error = test::failureOf([&] {
            const Document doc = Document::parse(c.document);
            EXPECT_EQ(Document::parse(doc.serialize()).serialize(), doc.serialize());
        });
        EXPECT_EQ(error.empty(), c.loads) << error;
    }
}

// Layout white space is dropped on loading, a value of spaces kept.
// Text is escaped once when written; a character the encoding lacks becomes a reference.
TEST(XmlDocumentSerialize, UsesDeclaredEncodingCrLfAndLibraryIndentation) {
    // ÇüçıöİÖÜŞşĞğ in ISO-8859-9.
    const std::string turkish = "\xC7\xFC\xE7\xFD\xF6\xDD\xD6\xDC\xDE\xFE\xD0\xF0";
    const Document doc = Document::parse(std::string(kLatin5Declaration) + "\r\n<a>\r\n\t<b>" +
                                         turkish + "</b>\r\n\t<u>   </u>\r\n\t<c>\r\n\t</c></a>");
    ASSERT_FALSE(doc.empty());
    EXPECT_EQ(doc.root().firstChildElement().text(), "ÇüçıöİÖÜŞşĞğ");
    doc.root().appendElement("d").setText("ğ & < &amp; €");
    EXPECT_EQ(doc.serialize(), std::string(kLatin5Declaration) + "\r\n<a>\r\n  <b>" + turkish +
                                   "</b>\r\n  <u>   </u>\r\n  <c/>\r\n  <d>\xF0 &amp; &lt; "
                                   "&amp;amp; &#8364;</d>\r\n</a>\r\n");

    EXPECT_EQ(Document::parse("<a>\xC5\x9F</a>").serialize(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<a>\xC5\x9F</a>\r\n");
}

TEST(XmlDocumentSetText, EscapesOnceWhenWrittenAndReadsBackExactly) {
    for (const std::string text : {"a & b < c > d", "\"tırnak\" ve 'kesme'", "&amp; already",
                                   "]]> end", "  spaces kept  ", "5 €"}) {
        SCOPED_TRACE(text);
        Document doc = Document::parse(std::string(kLatin5Declaration) + "<a><v><x/>old</v></a>");
        const Node v = doc.root().firstChildElement();
        v.setText(text);
        EXPECT_EQ(compactXml(doc.root()), "<a><v>" + text + "</v></a>");
        const std::string saved = doc.serialize();
        EXPECT_EQ(Document::parse(saved).root().firstChildElement().text(), text) << saved;
    }
    Document doc = Document::parse("<a><v>x</v></a>");
    doc.root().firstChildElement().setText("");
    EXPECT_EQ(compactXml(doc.root()), "<a><v/></a>");
}

}  // namespace
}  // namespace kovrel::platform::xml
