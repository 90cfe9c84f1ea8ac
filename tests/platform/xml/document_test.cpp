#include "platform/xml/document.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace kovrel::platform::xml {
namespace {

constexpr const char* kLatin5Declaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-9\"?>";

// Refused in their own words: a document type declaration (no entity reaches the tree, nor the
// message what one would have read), nesting or a text beyond the parser's limits.
TEST(XmlDocumentParse, RefusesDocumentTypesEntitiesAndWhatIsBeyondTheLimits) {
    test::TempFolder folder;
    const std::string secret = "file://" + (folder.path() / "secret.txt").string();
    const std::string dtd = "file://" + (folder.path() / "evil.dtd").string();
    test::writeBytes(folder.path() / "secret.txt", "GIZLI-ICERIK");
    test::writeBytes(folder.path() / "evil.dtd", "<!ENTITY leak SYSTEM \"" + secret + "\">");
    std::string deep;
    for (int i = 0; i < 100'000; ++i)
        deep += "<a>";
    const std::pair<std::string, const char*> cases[] = {
        {"<!DOCTYPE r [<!ENTITY x SYSTEM \"" + secret + "\">]><r>&x;</r>", "DOCTYPE"},
        {"<!DOCTYPE r SYSTEM \"" + dtd + "\"><r>&leak;</r>", "DOCTYPE"},
        {"<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + dtd + "\"> %p;]><r>&leak;</r>", "DOCTYPE"},
        {deep, "en büyük derinlikten"},
        {"<r>" + std::string(10'000'001, 'x') + "</r>", "en büyük uzunluğu aşan"},
    };
    for (const auto& [bytes, cause] : cases) {
        SCOPED_TRACE(bytes.substr(0, 80));
        const std::string error = test::failureOf([&] { Document::parse(bytes); });
        EXPECT_NE(error.find(cause), std::string::npos) << error;
        EXPECT_EQ(error.find("GIZLI"), std::string::npos);
    }
}

// The library writes namespace names as they stand: a file is taken in only when what it saves
// loads again with the same names.
TEST(XmlDocumentParse, NamespaceNamesLoadOnlyWhenTheySaveBack) {
    const std::pair<const char*, bool> cases[] = {
        {"<r xmlns:a=\"u&lt;v\"/>", false},
        {"<r><s xmlns=\"a&amp;b\"/></r>", false},
        {"<r xmlns:a=\"a&#9;b\"/>", false},
        {"<r xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><s xmlns:q='say \"hi\"'/></r>",
         true},
    };
    for (const auto& [document, loads] : cases) {
        SCOPED_TRACE(document);
        const std::string error = test::failureOf([&, document = document] {
            const Document doc = Document::parse(document);
            EXPECT_EQ(Document::parse(doc.serialize()).serialize(), doc.serialize());
        });
        EXPECT_EQ(error.empty(), loads) << error;
    }
}

// Layout white space is dropped on loading, a value of spaces kept. A text set replaces what the
// element held, is escaped once (a reference where the encoding lacks it) and reads back exactly.
// (The converter's saved files show ISO-8859-9 letters read and written.)
TEST(XmlDocumentSerialize, UsesDeclaredEncodingCrLfAndLibraryIndentation) {
    const Document doc =
        Document::parse(std::string(kLatin5Declaration) +
                        "\r\n<a>\r\n\t<u>   </u>\r\n\t<c>\r\n\t</c><d><x/>old</d><e>x</e></a>");
    const std::string text = "ğ & < &amp; € \"tırnak\" 'kesme'  ]]>";
    doc.root().childElements("d").front().setText(text);
    doc.root().childElements("e").front().setText("");
    const std::string saved = doc.serialize();
    EXPECT_EQ(saved,
              std::string(kLatin5Declaration) +
                  "\r\n<a>\r\n  <u>   </u>\r\n  <c/>\r\n  <d>\xF0 &amp; &lt; &amp;amp; &#8364; "
                  "\"t\xFDrnak\" 'kesme'  ]]&gt;</d>\r\n  <e/>\r\n</a>\r\n");
    EXPECT_EQ(Document::parse(saved).root().childElements("d").front().text(), text);
    EXPECT_EQ(Document::parse("<a>\xC5\x9F</a>").serialize(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<a>\xC5\x9F</a>\r\n");
}

}  // namespace
}  // namespace kovrel::platform::xml
