#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/xml/libxml_glue.h"

// Texts and table rows kept in less memory than the library's own nodes take. Everything here
// relies on how libxml2 lays out and saves its nodes, not on its documented interface; see
// compact_storage.cpp for each assumption and the Libxml2Assumptions test for their check.
namespace kovrel::platform::xml {

// The libxml2 release these assumptions were last checked against.
inline constexpr std::string_view kCheckedLibxml2 = "2.9.14";

// A text node; a short text is kept inside the node itself.
xmlNode* newTextNode(xmlDoc* doc, std::string_view text);

// How the saver lays out element's children.
Node::ChildLayout savedLayoutOf(const xmlNode* element);

// A text node holding the leaves' finished markup, as the saver would write them under that
// layout; it is saved as it stands. Throws Error for a leaf text longer than the parser takes.
xmlNode* newRowMarkup(xmlDoc* doc, const std::vector<Node::Leaf>& leaves,
                      const Node::ChildLayout& layout);

// When element is a compact row: appends the texts of its leaves named name to texts and
// returns true.
bool compactLeafTexts(const xmlNode* element, std::string_view name,
                      std::vector<std::string>& texts);

// When node is the markup of a compact row: appends its leaves' texts to out and returns true.
bool appendCompactText(const xmlNode* node, std::string& out);

// Turns the rows named in a list into compact elements as soon as the parser has built each,
// so that a file of many rows never stands in memory as a tree of nodes. Every row is laid out
// as indented; settleCompactRows corrects the few whose ancestors turn out to hold text.
class RowCompactor {
  public:
    RowCompactor(xmlParserCtxt* ctxt, std::span<const std::string_view> rowNames);
    RowCompactor(const RowCompactor&) = delete;
    RowCompactor& operator=(const RowCompactor&) = delete;

    bool compactedAny() const { return compactedAny_; }

  private:
    static void endElement(void* context, const xmlChar* localName, const xmlChar* prefix,
                           const xmlChar* uri);
    void compact(xmlNode* row) noexcept;

    xmlParserCtxt* ctxt_;
    std::span<const std::string_view> rowNames_;
    std::vector<Node::Leaf> leaves_;
    bool compactedAny_ = false;
};

// Lays out each compact row of the document again where the saver will not indent it, now
// that the whole tree is known.
void settleCompactRows(xmlDoc* doc);

}  // namespace kovrel::platform::xml
