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

namespace kovrel::platform::xml {
namespace {

using Leaves = std::vector<Node::Leaf>;
const std::string kIso = "<?xml version=\"1.0\" encoding=\"ISO-8859-9\"?>\r\n";

constexpr std::string_view kRowNames[] = {"satir"};

// Each row of a document loaded with compact rows must read through childTexts as the same row
// loaded as a tree. Counts the rows that were made compact.
int compareRows(const Document& tree, const Document& compact) {
    const char* rows = "//*[local-name() = 'satir']";
    const auto treeRows = tree.selectNodes({}, rows);
    const auto compactRows = compact.selectNodes({}, rows);
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
    struct Case {
        const char* name;
        std::string document;
        int compacted;
        Leaves appended;  // the leaves of the row a run appends
    } cases[] = {
        {"rows laid out by an earlier save",
         kIso + "<a>\r\n  <t>\r\n    <satir>\r\n      <unvani>\xDE"
                "ahin &amp; O\xF0lu &lt;Ltd&gt;</unvani>\r\n      <kod>100</kod>\r\n"
                "    </satir>\r\n    <satir>\r\n      <kod>101</kod>\r\n    </satir>\r\n  </t>\r\n"
                "</a>\r\n",
         2,
         {{"unvani", "Şahin & Oğlu <Ltd>"}, {"kod", "100"}, {"od", "1.234,56"}}},
        {"run together, with empty, blank and carriage return values",
         kIso + "<a><t><satir><unvani>  </unvani><kod/><od>\r\n  </od><cd>&#13;x&gt;</cd></satir>"
                "<satir><kod>1</kod></satir></t></a>",
         2,
         {{"deger", "x\ry\tz\nw"}}},
        {"an ancestor's text after the rows",
         kIso + "<a><t><satir><kod>1</kod></satir></t>son</a>",
         1,
         {{"kod", "1"}}},
        {"text in the table before the rows",
         kIso + "<a><t>x<satir><kod>1</kod></satir><satir><kod>2</kod></satir></t></a>",
         2,
         {{"deger", "€ 5 ✓"}}},
        {"deeper than the saver indents", kIso + deep, 1, {{"kod", "7"}, {"od", "8"}}},
        {"UTF-8 document",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a><t><satir><unvani>€ ✓ İ</unvani>"
         "</satir></t></a>",
         1,
         {{"deger", "İĞÜŞÖÇığüşöç"}}},
        {"a row inside a row",
         kIso + "<a><satir><satir><kod>1</kod></satir></satir></a>",
         1,
         {{"deger", "a\x01\x1Fz\xC3"}}},
        {"rows that stay trees",
         kIso + "<a><t><satir n=\"1\"><kod>1</kod></satir><satir><kod n=\"1\">1</kod></satir>"
                "<satir><!--c--><kod>1</kod></satir><satir>x<kod>1</kod></satir>"
                "<satir><kod><b/></kod></satir><satir><kod>1<!--c-->2</kod></satir><satir/>"
                "<p:satir xmlns:p=\"urn:p\"><kod>1</kod></p:satir>"
                "<satir xmlns=\"urn:q\"><kod>1</kod></satir><satir><?pi x?><kod>1</kod></satir>"
                "<satir><kod>1</kod></satir></t></a>",
         1,
         {{"bos", "\x02"}, {"kod", "1"}}},
        {"other elements, a row of no leaves",
         kIso + "<a><t><diger><kod>1</kod></diger></t></a>",
         0,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Document tree = Document::parse(c.document);
        ASSERT_FALSE(tree.empty());
        Document compact = Document::parse(c.document, kRowNames);
        ASSERT_FALSE(compact.empty());
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

TEST(CompactElement, ValueLongerThanTheParserTakesIsRefused) {
    Document doc = Document::parse("<a><b/></a>");
    const Node section = doc.root().firstChildElement();
    const std::string huge(10'000'001, 'x');
    EXPECT_THROW(section.appendCompactElement("satir", {{"deger", huge}}, section.childLayout()),
                 Error);
    EXPECT_THROW(section.appendElement("deger").setText(huge), Error);
}

// What compact_storage.cpp takes from libxml2 beyond its documented interface, checked against
// the library linked in: a newer libxml2 that breaks an assumption is named here instead of
// saving declarations wrong.
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

}  // namespace
}  // namespace kovrel::platform::xml
