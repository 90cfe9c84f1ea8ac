#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/xml/compact_storage.h"
#include "platform/xml/document.h"
#include "support/test_support.h"

namespace kovrel::platform::xml {
namespace {

using Leaves = std::vector<Node::Leaf>;
const std::string kIso = "<?xml version=\"1.0\" encoding=\"ISO-8859-9\"?>\r\n";

constexpr std::string_view kRowNames[] = {"satir"};

// Each row loaded compact must read through childTexts as loaded as a tree; counts the compact.
int compareRows(const Document& tree, const Document& compact) {
    const char* rows = "//*[local-name() = 'satir']";
    const auto treeRows = tree.selectNodes({}, rows), compactRows = compact.selectNodes({}, rows);
    EXPECT_EQ(treeRows.size(), compactRows.size());
    int compacted = 0;
    for (std::size_t i = 0; i < std::min(treeRows.size(), compactRows.size()); ++i) {
        for (const Node leaf : treeRows[i].childElements())
            EXPECT_EQ(compactRows[i].childTexts(leaf.name()), treeRows[i].childTexts(leaf.name()));
        compacted += treeRows[i].firstChildElement() && !compactRows[i].firstChildElement();
    }
    return compacted;
}

// Rows loaded compact must save byte for byte, and read, as the same rows loaded as a tree; so
// must a row appended compact, wherever it stands, as the same row built node by node.
TEST(CompactRows, SaveAndReadAsTheTree) {
    std::string deep = "<satir><kod>1</kod><od>2</od></satir>";
    for (int i = 0; i < 35; ++i)
        deep = "<d>" + deep + "</d>";
    const struct {
        const char* name;
        int compacted;
        Leaves appended;       // the leaves of the row a run appends
        std::string document;  // after kIso, unless it has a prolog of its own
    } cases[] = {
        {"rows laid out by an earlier save", 2,
         Leaves{{"unvani", "Şahin & Oğlu <Ltd>"}, {"kod", "100"}, {"od", "1.234,56"}},
         "<a>\r\n  <t>\r\n    <satir>\r\n      <unvani>\xDE"
         "ahin &amp; O\xF0lu &lt;Ltd&gt;</unvani>\r\n      <kod>100</kod>\r\n    </satir>\r\n"
         "    <satir>\r\n      <kod>101</kod>\r\n    </satir>\r\n  </t>\r\n</a>\r\n"},
        {"run together, with empty, blank and carriage return values", 2,
         Leaves{{"deger", "x\ry\tz\nw"}},
         "<a><t><satir><unvani>  </unvani><kod/><od>\r\n  </od><cd>&#13;x&gt;</cd></satir>"
         "<satir><kod>1</kod></satir></t></a>"},
        {"an ancestor's text after the rows", 1, Leaves{{"kod", "1"}},
         "<a><t><satir><kod>1</kod></satir></t>son</a>"},
        {"text in the table before the rows", 2, Leaves{{"deger", "€ 5 ✓"}},
         "<a><t>x<satir><kod>1</kod></satir><satir><kod>2</kod></satir></t></a>"},
        {"deeper than the saver indents", 1, Leaves{{"kod", "7"}, {"od", "8"}}, deep},
        {"UTF-8 document", 1, Leaves{{"deger", "İĞÜŞÖÇığüşöç"}},
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a><t><satir><unvani>€ ✓ İ</unvani>"
         "</satir></t></a>"},
        {"a row inside a row", 1, Leaves{{"deger", "a\x01\x1Fz\xC3"}},
         "<a><satir><satir><kod>1</kod></satir></satir></a>"},
        {"rows that stay trees", 1, Leaves{{"bos", "\x02"}, {"kod", "1"}},
         "<a><t><satir n=\"1\"><kod>1</kod></satir><satir><kod n=\"1\">1</kod></satir>"
         "<satir><!--c--><kod>1</kod></satir><satir>x<kod>1</kod></satir>"
         "<satir><kod><b/></kod></satir><satir><kod>1<!--c-->2</kod></satir><satir/>"
         "<p:satir xmlns:p=\"urn:p\"><kod>1</kod></p:satir>"
         "<satir xmlns=\"urn:q\"><kod>1</kod></satir><satir><?pi x?><kod>1</kod></satir>"
         "<satir><kod>1</kod></satir></t></a>"},
        {"other elements, a row of no leaves", 0, Leaves{},
         "<a><t><diger><kod>1</kod></diger></t></a>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bytes = (c.document.starts_with("<?xml") ? "" : kIso) + c.document;
        Document tree = Document::parse(bytes), compact = Document::parse(bytes, kRowNames);
        ASSERT_FALSE(tree.empty() || compact.empty());
        EXPECT_EQ(compareRows(tree, compact), c.compacted);
        EXPECT_EQ(compact.serialize(), tree.serialize());

        // What a run does next: remove the first row, append a row and an element.
        for (Document* doc : {&tree, &compact}) {
            const auto rows = doc->selectNodes({}, "//satir");
            const Node table = rows.empty() ? doc->root() : rows.front().parent();
            if (!rows.empty())
                table.removeChild(rows.front());
            if (doc == &compact) {
                table.appendCompactElement("satir", c.appended, table.childLayout());
            } else {
                const Node row = table.appendElement("satir");
                for (const auto& leaf : c.appended)
                    row.appendElement(leaf.name).setText(leaf.utf8Text);
            }
            table.appendElement("son").setText("1");
        }
        EXPECT_EQ(compact.serialize(), tree.serialize());
    }
}

// What compact_storage.cpp takes from libxml2 beyond its documented interface, checked against
// the library linked in: a newer libxml2 that breaks one is named here, not saved wrong.
const struct {
    const char* assumption;
    std::function<bool()> holds;
} kAssumptions[] = {
    {"the parser, asked for compact texts, keeps a short one in its node's properties and nsDef "
     "fields, side by side, so that the library saves and frees such nodes",
     [] {
         const std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
             xmlReadMemory("<a>short</a>", 12, nullptr, nullptr, XML_PARSE_COMPACT), xmlFreeDoc);
         const xmlNode* text = doc ? xmlDocGetRootElement(doc.get())->children : nullptr;
         return offsetof(xmlNode, nsDef) ==
                    offsetof(xmlNode, properties) + sizeof(xmlNode::properties) &&
                text && text->content == reinterpret_cast<const xmlChar*>(&text->properties);
     }},
    {"a text node named xmlStringTextNoenc saves as it stands, also once its content is replaced",
     [] {
         const Document doc = Document::parse("<a/>");
         xmlNode* root = LibraryAccess::raw(doc.root());
         xmlNode* markup = newRowMarkup(root->doc, {{"k", "1"}}, {false, 1});
         xmlAddChild(root, markup);
         xmlNodeSetContentLen(markup, asXml("<k>&lt;2</k>"), 12);
         return doc.serialize().ends_with("<a><k>&lt;2</k></a>\r\n");
     }},
    {"the saver escapes text as &lt; &gt; &amp; &#13; and nothing else",
     [] {
         const Document doc = Document::parse("<a/>");
         doc.root().setText("<>&\r\"'\t");
         return doc.serialize().ends_with("<a>&lt;&gt;&amp;&#13;\"'\t</a>\r\n");
     }},
    {"the saver indents two spaces a level up to 30 levels, and not at all under an element with "
     "text of its own or below it",
     [] {
         const Document doc = Document::parse("<e/>");
         std::string opening = "<e>\r\n", closing = "</e>\r\n";
         Node node = doc.root();
         for (std::size_t level = 1; level <= 32; ++level) {
             node = node.appendElement("e");
             const std::string indent(2 * std::min<std::size_t>(level, 30), ' ');
             opening += indent + (level < 32 ? "<e>\r\n" : "<e/>\r\n");
             closing = (level < 32 ? indent + "</e>\r\n" : "") + closing;
         }
         const std::string withText = "<a>t<b><c><d/></c></b></a>";
         return doc.serialize().ends_with(opening + closing) &&
                Document::parse(withText).serialize().ends_with(withText + "\r\n");
     }},
    {"the parser ends an element through its handler's endElementNs while ctxt->node is that "
     "element, and leaves ctxt->_private to its caller",
     [] {
         const Document doc = Document::parse("<a><satir><k>1</k></satir></a>", kRowNames);
         const Node row = doc.root().firstChildElement();
         return !row.firstChildElement() && row.childTexts("k") == std::vector<std::string>{"1"};
     }},
};

TEST(Libxml2Assumptions, HoldForTheLinkedLibrary) {
    for (const auto& [assumption, holds] : kAssumptions) {
        EXPECT_TRUE(holds()) << "libxml2 " << xmlParserVersion << " (headers "
                             << LIBXML_DOTTED_VERSION << ") breaks what compact_storage.cpp, "
                             << "checked against " << kCheckedLibxml2
                             << ", assumes: " << assumption;
    }
}

// Refused in their own words: a document type declaration (no entity reaches the tree, nor the
// message what one would have read), nesting or a text beyond the parser's limits, a namespace
// name that the library, writing it as it stands, would not save back.
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
        {"<r xmlns:a=\"u&lt;v\"/>", "ad alanı"},
        {"<r><s xmlns=\"a&amp;b\"/></r>", "ad alanı"},
        {"<r xmlns:a=\"a&#9;b\"/>", "ad alanı"},
    };
    for (const auto& [bytes, cause] : cases) {
        SCOPED_TRACE(bytes.substr(0, 80));
        const std::string error = test::failureOf([&] { Document::parse(bytes); });
        EXPECT_NE(error.find(cause), std::string::npos) << error;
        EXPECT_EQ(error.find("GIZLI"), std::string::npos);
    }
}

// Layout white space is dropped on loading, a value of spaces kept. A text set replaces what the
// element held, is escaped once (a reference where the encoding lacks it) and reads back exactly;
// one longer than the parser takes is refused. Namespace names that save as they stand load
// again alike. (The converter's saved files show ISO-8859-9.)
TEST(XmlDocumentSerialize, UsesDeclaredEncodingCrLfAndLibraryIndentation) {
    const Document doc =
        Document::parse(kIso + "<a>\r\n\t<u>   </u>\r\n\t<c>\r\n\t</c><d><x/>old</d><e>x</e></a>");
    const std::string text = "ğ & < &amp; € \"tırnak\" 'kesme'  ]]>";
    doc.root().childElements("d").front().setText(text);
    doc.root().childElements("e").front().setText("");
    const std::string saved = doc.serialize();
    EXPECT_EQ(saved, kIso +
                         "<a>\r\n  <u>   </u>\r\n  <c/>\r\n  <d>\xF0 &amp; &lt; &amp;amp; &#8364; "
                         "\"t\xFDrnak\" 'kesme'  ]]&gt;</d>\r\n  <e/>\r\n</a>\r\n");
    EXPECT_EQ(Document::parse(saved).root().childElements("d").front().text(), text);
    EXPECT_THROW(doc.root().appendElement("f").setText(std::string(10'000'001, 'x')), Error);
    const std::string named = Document::parse(
                                  "<r xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
                                  "<s xmlns:q='say \"hi\"'/></r>")
                                  .serialize();
    EXPECT_EQ(Document::parse(named).serialize(), named);
    EXPECT_EQ(Document::parse("<a>\xC5\x9F</a>").serialize(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<a>\xC5\x9F</a>\r\n");
}

}  // namespace
}  // namespace kovrel::platform::xml
