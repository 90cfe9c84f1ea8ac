// Checked against libxml2 2.9.14 (kCheckedLibxml2). What this file takes from the library
// beyond its documented interface, each checked by the Libxml2Assumptions test:
//  - A text node's content may be stored in the node's own properties and nsDef fields, which
//    lie side by side; the library's parser does so itself for short texts (XML_PARSE_COMPACT),
//    so the library saves and frees such nodes correctly.
//  - A text node named xmlStringTextNoenc is saved as it stands, without escaping, and keeps
//    that name when its content is replaced.
//  - The saver, asked to format, escapes text as &lt; &gt; &amp; &#13; and nothing else, and
//    writes child elements on lines of their own indented two spaces a level, at most 30 levels,
//    except under an element that holds text of its own or has an ancestor that does.
//  - The parser calls its handler's endElementNs while ctxt->node is the element that ends,
//    and leaves ctxt->_private to its caller.
#include "platform/xml/compact_storage.h"

#include <libxml/SAX2.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <cstring>
#include <deque>

#include "platform/error.h"
#include "platform/xml/text_cleaning.h"

namespace kovrel::platform::xml {

xmlNode* newTextNode(xmlDoc* doc, std::string_view text) {
    // Saves an allocation for each of the many amounts and codes of a large declaration.
    constexpr std::size_t kInlineCapacity = sizeof(xmlNode::properties) + sizeof(xmlNode::nsDef);
    if (text.size() >= kInlineCapacity)
        return xmlNewDocTextLen(doc, asXml(text.data()), static_cast<int>(text.size()));
    xmlNode* node = xmlNewDocText(doc, nullptr);
    if (!node)
        return nullptr;
    auto* inlineContent = reinterpret_cast<xmlChar*>(&node->properties);
    std::memcpy(inlineContent, text.data(), text.size());
    inlineContent[text.size()] = 0;
    node->content = inlineContent;
    return node;
}

namespace {

bool hasOwnText(const xmlNode* element) {
    for (const xmlNode* child = element->children; child; child = child->next) {
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE ||
            child->type == XML_ENTITY_REF_NODE)
            return true;
    }
    return false;
}

bool savedWithLayout(const xmlNode* element) {
    for (; element && element->type == XML_ELEMENT_NODE; element = element->parent) {
        if (hasOwnText(element))
            return false;
    }
    return true;
}

int levelOf(const xmlNode* element) {
    int level = 0;
    for (const xmlNode* p = element->parent; p && p->type == XML_ELEMENT_NODE; p = p->parent)
        ++level;
    return level;
}

void appendIndent(std::string& out, int level) {
    constexpr int kMaxLevels = 30;
    out.append(2 * static_cast<std::size_t>(std::min(level, kMaxLevels)), ' ');
}

void appendEscapedText(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '\r':
                out += "&#13;";
                break;
            default:
                out += c;
        }
    }
}

std::string compactMarkup(const std::vector<Node::Leaf>& leaves, const Node::ChildLayout& layout) {
    std::string markup;
    for (const Node::Leaf& leaf : leaves) {
        if (layout.indented) {
            markup += '\n';
            appendIndent(markup, layout.level + 1);
        }
        const std::string text =
            isPlainText(leaf.utf8Text) ? std::string(leaf.utf8Text) : xmlSafeText(leaf.utf8Text);
        checkTextLength(text);
        markup.append("<").append(leaf.name);
        if (text.empty()) {
            markup.append("/>");
            continue;
        }
        markup.append(">");
        appendEscapedText(markup, text);
        markup.append("</").append(leaf.name).append(">");
    }
    if (layout.indented) {
        markup += '\n';
        appendIndent(markup, layout.level);
    }
    return markup;
}

xmlNode* newMarkupNode(xmlDoc* doc, const std::string& markup) {
    xmlNode* node = xmlNewDocTextLen(doc, asXml(markup.data()), static_cast<int>(markup.size()));
    if (node)
        node->name = xmlStringTextNoenc;
    return node;
}

bool isMarkupNode(const xmlNode* node) {
    return node->type == XML_TEXT_NODE && node->name == xmlStringTextNoenc && node->content;
}

// The markup of a compact row: the element's only child.
xmlNode* compactMarkupOf(const xmlNode* element) {
    xmlNode* child = element->children;
    return child && !child->next && isMarkupNode(child) ? child : nullptr;
}

std::string unescapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const auto amp = text.find('&');
        out.append(text.substr(0, amp));
        if (amp == std::string_view::npos)
            break;
        text.remove_prefix(amp);
        static constexpr std::pair<std::string_view, char> kReferences[] = {
            {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&#13;", '\r'}};
        bool known = false;
        for (const auto& [reference, c] : kReferences) {
            if (text.starts_with(reference)) {
                out += c;
                text.remove_prefix(reference.size());
                known = true;
                break;
            }
        }
        if (!known) {
            out += '&';
            text.remove_prefix(1);
        }
    }
    return out;
}

// Calls visit(name, escapedText) for each leaf of markup that compactMarkup wrote, in order.
// The text of a leaf holds no '<' (the saver's escaping), so the next '<' ends it.
template <typename Visit>
void forEachLeaf(std::string_view markup, Visit visit) {
    std::size_t at = markup.find('<');
    while (at != std::string_view::npos) {
        const std::size_t nameEnd = markup.find_first_of("/>", at + 1);
        if (nameEnd == std::string_view::npos)
            return;
        const std::string_view name = markup.substr(at + 1, nameEnd - at - 1);
        if (markup[nameEnd] == '/') {  // "<name/>"
            visit(name, std::string_view());
            at = markup.find('<', nameEnd);
            continue;
        }
        const std::size_t textEnd = markup.find('<', nameEnd + 1);
        if (textEnd == std::string_view::npos)
            return;
        visit(name, markup.substr(nameEnd + 1, textEnd - nameEnd - 1));
        const std::size_t closeEnd = markup.find('>', textEnd);
        at = closeEnd == std::string_view::npos ? closeEnd : markup.find('<', closeEnd);
    }
}

}  // namespace

Node::ChildLayout savedLayoutOf(const xmlNode* element) {
    return {savedWithLayout(element), levelOf(element) + 1};
}

xmlNode* newRowMarkup(xmlDoc* doc, const std::vector<Node::Leaf>& leaves,
                      const Node::ChildLayout& layout) {
    return newMarkupNode(doc, compactMarkup(leaves, layout));
}

bool compactLeafTexts(const xmlNode* element, std::string_view name,
                      std::vector<std::string>& texts) {
    const xmlNode* markup = compactMarkupOf(element);
    if (!markup)
        return false;
    forEachLeaf(asChars(markup->content), [&](std::string_view leafName, std::string_view text) {
        if (leafName == name)
            texts.push_back(unescapeText(text));
    });
    return true;
}

bool appendCompactText(const xmlNode* node, std::string& out) {
    if (!isMarkupNode(node))
        return false;
    forEachLeaf(asChars(node->content),
                [&out](std::string_view, std::string_view text) { out += unescapeText(text); });
    return true;
}

namespace {

bool isPlainElement(const xmlNode* element) {
    return !element->properties && !element->nsDef && !element->ns;
}

// The leaves of a row as they read once the parse is finished, or false when the row holds
// anything but leaves with text: attributes, comments, nested elements, text of its own.
bool collectLeaves(const xmlNode* row, std::vector<Node::Leaf>& leaves) {
    leaves.clear();
    if (!isPlainElement(row))
        return false;
    for (const xmlNode* child = row->children; child; child = child->next) {
        if (isLayoutWhitespace(child))
            continue;
        if (child->type != XML_ELEMENT_NODE || !isPlainElement(child))
            return false;
        const xmlNode* text = child->children;
        // A row made compact already is not a leaf.
        if (text && (text->next || text->type != XML_TEXT_NODE || !text->content ||
                     text->name == xmlStringTextNoenc))
            return false;
        const bool empty = !text || isLayoutWhitespace(text);
        leaves.push_back({asChars(child->name), empty ? "" : asChars(text->content)});
    }
    return !leaves.empty();
}

}  // namespace

RowCompactor::RowCompactor(xmlParserCtxt* ctxt, std::span<const std::string_view> rowNames)
    : ctxt_(ctxt), rowNames_(rowNames) {
    if (rowNames.empty())
        return;
    ctxt->_private = this;
    ctxt->sax->endElementNs = &RowCompactor::endElement;
}

void RowCompactor::endElement(void* context, const xmlChar* localName, const xmlChar* prefix,
                              const xmlChar* uri) {
    auto* ctxt = static_cast<xmlParserCtxt*>(context);
    xmlNode* element = ctxt->node;
    xmlSAX2EndElementNs(context, localName, prefix, uri);
    auto* self = static_cast<RowCompactor*>(ctxt->_private);
    // Entity content is parsed with a context of its own; only the document's rows count.
    if (self && ctxt == self->ctxt_ && element && element->type == XML_ELEMENT_NODE)
        self->compact(element);
}

// Called from the parser's C code: nothing may escape. A row that cannot be made compact stays
// a tree, which saves the same.
void RowCompactor::compact(xmlNode* row) noexcept {
    try {
        const std::string_view name = asChars(row->name);
        if (std::find(rowNames_.begin(), rowNames_.end(), name) == rowNames_.end() ||
            !collectLeaves(row, leaves_))
            return;
        xmlNode* markup = newRowMarkup(row->doc, leaves_, {true, levelOf(row)});
        if (!markup)
            return;
        xmlFreeNodeList(row->children);
        row->children = row->last = nullptr;
        xmlAddChild(row, markup);
        compactedAny_ = true;
    } catch (...) {
    }
}

namespace {

void settleRowsUnder(xmlNode* element, bool plainAncestors) {
    const bool indented = plainAncestors && !hasOwnText(element);
    for (xmlNode* child = element->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        xmlNode* markup = compactMarkupOf(child);
        if (!markup) {
            settleRowsUnder(child, indented);
            continue;
        }
        const bool markupIndented = markup->content[0] == '\n';
        if (markupIndented == indented)
            continue;
        std::deque<std::string> texts;  // stays where it is as it grows: leaves view it
        std::vector<Node::Leaf> leaves;
        forEachLeaf(asChars(markup->content), [&](std::string_view name, std::string_view text) {
            leaves.push_back({name, texts.emplace_back(unescapeText(text))});
        });
        const std::string relaid = compactMarkup(leaves, {indented, levelOf(child)});
        xmlNodeSetContentLen(markup, asXml(relaid.data()), static_cast<int>(relaid.size()));
    }
}

}  // namespace

void settleCompactRows(xmlDoc* doc) {
    if (xmlNode* root = xmlDocGetRootElement(doc))
        settleRowsUnder(root, true);
}

}  // namespace kovrel::platform::xml
