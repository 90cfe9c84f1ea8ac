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
