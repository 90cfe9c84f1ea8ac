#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/xml_document.h"

namespace kovrel::platform::xml {
namespace {

using Leaves = std::vector<Node::Leaf>;

// The element that rows go into: the last element of a chain of depth elements under the root.
Node sectionAt(const Document& doc, int depth) {
    Node node = doc.root();
    for (int i = 0; i < depth; ++i) {
        const auto children = node.childElements();
        node = children.empty() ? node.appendElement("level") : children.back();
    }
    return node;
}

// A compact row must save byte for byte as the same row built node by node, wherever it stands.
TEST(CompactElement, SavesAsTheSameElementBuiltNodeByNode) {
    const std::string iso = "<?xml version=\"1.0\" encoding=\"ISO-8859-9\"?>\r\n";
    struct Case {
        const char* name;
        std::string document;
        int depth;
        std::vector<std::pair<std::string, std::string>> leaves;
    } cases[] = {
        {"plain row",
         iso + "<beyanname><ozel><tablo/></ozel></beyanname>",
         2,
         {{"unvani", "Şahin & Oğlu <Ltd>"}, {"kod", "100"}, {"od", "1.234,56"}}},
        {"carriage return, tab and line feed in a value",
         iso + "<a><b/></a>",
         1,
         {{"deger", "x\ry\tz\nw"}}},
        {"characters the encoding lacks", iso + "<a><b/></a>", 1, {{"deger", "€ 5 ✓"}}},
        {"control characters and broken UTF-8 dropped or replaced",
         iso + "<a><b/></a>",
         1,
         {{"deger", std::string("a\x01\x1F"
                                "b\xC3",
                                6)}}},
        {"value that becomes empty", iso + "<a><b/></a>", 1, {{"bos", "\x02"}, {"kod", "1"}}},
        {"deeper than the saver indents", iso + "<a/>", 40, {{"kod", "7"}, {"od", "8"}}},
        {"ancestor with text of its own", iso + "<a>text<b/></a>", 1, {{"kod", "1"}}},
        {"UTF-8 document",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a><b/></a>",
         1,
         {{"deger", "İĞÜŞÖÇığüşöç"}}},
        {"no encoding declared", "<a><b/></a>", 1, {{"deger", "ç"}}},
        {"no leaves", iso + "<a><b/></a>", 1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Document byNodes = Document::parse(c.document);
        Document compact = Document::parse(c.document);
        ASSERT_FALSE(byNodes.empty());

        const Node nodeRow = sectionAt(byNodes, c.depth).appendElement("satir");
        for (const auto& [name, text] : c.leaves)
            nodeRow.appendElement(name).setText(text);

        const Node section = sectionAt(compact, c.depth);
        Leaves leaves;
        for (const auto& [name, text] : c.leaves)
            leaves.push_back({name, text});
        section.appendCompactElement("satir", leaves, section.childLayout());
        // A second row checks that the layout of the parent stays as it was.
        nodeRow.parent().appendElement("son");
        section.appendElement("son");

        EXPECT_EQ(compact.serialize(), byNodes.serialize());
    }
}

constexpr std::string_view kRowNames[] = {"satir"};

// Walks a document loaded as a tree beside the same document loaded with compact rows: each row
// must read the same through childTexts. Counts the rows that were made compact.
void compareRows(Node tree, Node compact, int& compacted) {
    ASSERT_EQ(tree.name(), compact.name());
    if (tree.name() == "satir") {
        for (const Node leaf : tree.childElements())
            EXPECT_EQ(compact.childTexts(leaf.name()), tree.childTexts(leaf.name()));
        if (tree.firstChildElement() && !compact.firstChildElement()) {
            ++compacted;
            return;
        }
    }
    const auto treeChildren = tree.childElements();
    const auto compactChildren = compact.childElements();
    ASSERT_EQ(treeChildren.size(), compactChildren.size()) << tree.name();
    for (std::size_t i = 0; i < treeChildren.size(); ++i)
        compareRows(treeChildren[i], compactChildren[i], compacted);
}

// Rows loaded compact must save byte for byte, and read, as the same rows loaded as a tree,
// also after the run has removed some and appended others.
TEST(CompactRows, LoadedCompactSaveAndReadAsTheTree) {
    const std::string iso = "<?xml version=\"1.0\" encoding=\"ISO-8859-9\"?>\r\n";
    std::string deep;
    for (int i = 0; i < 35; ++i)
        deep += "<d>";
    deep += "<satir><kod>1</kod><od>2</od></satir>";
    for (int i = 0; i < 35; ++i)
        deep += "</d>";
    struct Case {
        const char* name;
        std::string document;
        int compacted;
    } cases[] = {
        {"rows laid out by an earlier save",
         iso + "<a>\r\n  <t>\r\n    <satir>\r\n      <unvani>\xDE"
               "ahin &amp; O\xF0lu &lt;Ltd&gt;</unvani>\r\n      <kod>100</kod>\r\n"
               "    </satir>\r\n    <satir>\r\n      <kod>101</kod>\r\n    </satir>\r\n  </t>\r\n"
               "</a>\r\n",
         2},
        {"run together, with empty, blank and carriage return values",
         iso + "<a><t><satir><unvani>  </unvani><kod/><od>\r\n  </od><cd>&#13;x&gt;</cd></satir>"
               "<satir><kod>1</kod></satir></t></a>",
         2},
        {"an ancestor's text after the rows", iso + "<a><t><satir><kod>1</kod></satir></t>son</a>",
         1},
        {"text in the table before the rows",
         iso + "<a><t>x<satir><kod>1</kod></satir><satir><kod>2</kod></satir></t></a>", 2},
        {"deeper than the saver indents", iso + deep, 1},
        {"UTF-8 with characters the declared encoding lacks",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a><t><satir><unvani>€ ✓ İ</unvani>"
         "</satir></t></a>",
         1},
        {"no encoding declared", "<a><satir><unvani>ç</unvani></satir></a>", 1},
        {"a row inside a row", iso + "<a><satir><satir><kod>1</kod></satir></satir></a>", 1},
        {"rows that stay trees",
         iso + "<a><t><satir n=\"1\"><kod>1</kod></satir><satir><kod n=\"1\">1</kod></satir>"
               "<satir><!--c--><kod>1</kod></satir><satir>x<kod>1</kod></satir>"
               "<satir><kod><b/></kod></satir><satir><kod>1<!--c-->2</kod></satir><satir/>"
               "<p:satir xmlns:p=\"urn:p\"><kod>1</kod></p:satir>"
               "<satir xmlns=\"urn:q\"><kod>1</kod></satir><satir><?pi x?><kod>1</kod></satir>"
               "<satir><kod>1</kod></satir></t></a>",
         1},
        {"other elements", iso + "<a><t><diger><kod>1</kod></diger></t></a>", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        Document tree = Document::parse(c.document, &error);
        ASSERT_FALSE(tree.empty()) << error;
        Document compact = Document::parse(c.document, nullptr, kRowNames);
        ASSERT_FALSE(compact.empty());
        int compacted = 0;
        compareRows(tree.root(), compact.root(), compacted);
        EXPECT_EQ(compacted, c.compacted);
        EXPECT_EQ(compact.serialize(), tree.serialize());

        // What a run does next: remove the first row, append a compact one and an element.
        for (Document* doc : {&tree, &compact}) {
            const auto rows = doc->selectNodes({}, "//satir");
            const Node table = rows.empty() ? doc->root() : rows.front().parent();
            if (!rows.empty())
                table.removeChild(rows.front());
            table.appendCompactElement("satir", {{"kod", "9"}}, table.childLayout());
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
                 XmlError);
    EXPECT_THROW(section.appendElement("deger").setText(huge), XmlError);
}

}  // namespace
}  // namespace kovrel::platform::xml
