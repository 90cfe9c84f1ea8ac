#include "platform/xml/node.h"

#include <new>

#include "platform/error.h"
#include "platform/xml/compact_storage.h"
#include "platform/xml/libxml_glue.h"
#include "platform/xml/text_cleaning.h"

namespace kovrel::platform::xml {
namespace {

bool isElementNamed(const xmlNode* node, std::string_view name) {
    return node->type == XML_ELEMENT_NODE && name == asChars(node->name);
}

// The text content of a subtree as it reads once its layout white space is dropped; the leaves
// of compact rows count as the nodes they stand for.
void appendTextContent(const xmlNode* node, std::string& out) {
    for (const xmlNode* child = node->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            appendTextContent(child, out);
        } else if (!appendCompactText(child, out) &&
                   (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) &&
                   child->content && !isLayoutWhitespace(child)) {
            out += asChars(child->content);
        }
    }
}

}  // namespace

bool Node::precedes(Node other) const {
    return xmlXPathCmpNodes(node_, other.node_) == 1;
}

std::string Node::name() const {
    return asChars(node_->name);
}

std::string Node::text() const {
    std::string content;
    appendTextContent(node_, content);
    return content;
}

void Node::setText(std::string_view utf8Text) const {
    if (node_->children)
        xmlNodeSetContent(node_, nullptr);
    std::string safe;
    if (!isPlainText(utf8Text)) {
        safe = xmlSafeText(utf8Text);
        utf8Text = safe;
    }
    if (utf8Text.empty())
        return;
    checkTextLength(utf8Text);
    xmlNode* textNode = newTextNode(node_->doc, utf8Text);
    if (!textNode || !xmlAddChild(node_, textNode))
        throw std::bad_alloc();
}

Node Node::parent() const {
    xmlNode* p = node_->parent;
    return Node(p && p->type == XML_ELEMENT_NODE ? p : nullptr);
}

Node Node::firstChildElement() const {
    return Node(xmlFirstElementChild(node_));
}

Node Node::nextSiblingElement() const {
    return Node(xmlNextElementSibling(node_));
}

std::vector<Node> Node::childElements(std::string_view name) const {
    std::vector<Node> children;
    for (xmlNode* child = node_->children; child; child = child->next) {
        if (isElementNamed(child, name))
            children.push_back(Node(child));
    }
    return children;
}

std::vector<Node> Node::childElements() const {
    std::vector<Node> children;
    for (xmlNode* child = xmlFirstElementChild(node_); child; child = xmlNextElementSibling(child))
        children.push_back(Node(child));
    return children;
}

Node Node::appendElement(std::string_view name) const {
    const std::string ownName(name);
    xmlNode* element = xmlNewDocNode(node_->doc, nullptr, asXml(ownName.c_str()), nullptr);
    if (!element || !xmlAddChild(node_, element)) {
        xmlFreeNode(element);
        throw std::bad_alloc();
    }
    return Node(element);
}

Node::ChildLayout Node::childLayout() const {
    return savedLayoutOf(node_);
}

Node Node::appendCompactElement(std::string_view name, const std::vector<Leaf>& leaves,
                                const ChildLayout& layout) const {
    const Node element = appendElement(name);
    if (leaves.empty())
        return element;
    xmlNode* markup = newRowMarkup(node_->doc, leaves, layout);
    if (!markup || !xmlAddChild(element.node_, markup)) {
        xmlFreeNode(markup);
        throw std::bad_alloc();
    }
    return element;
}

std::vector<std::string> Node::childTexts(std::string_view name) const {
    std::vector<std::string> texts;
    if (compactLeafTexts(node_, name, texts))
        return texts;
    for (const Node child : childElements(name))
        texts.push_back(child.text());
    return texts;
}

void Node::removeChild(Node child) const {
    xmlUnlinkNode(child.node_);
    xmlFreeNode(child.node_);
}

}  // namespace kovrel::platform::xml
