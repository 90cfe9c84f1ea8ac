#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

typedef struct _xmlNode xmlNode;

namespace kovrel::platform::xml {

// A non-owning handle to an element of a Document; valid while the element is in its document.
// Text in and out is UTF-8.
class Node {
  public:
    Node() = default;

    explicit operator bool() const { return node_ != nullptr; }
    bool operator==(const Node& other) const { return node_ == other.node_; }
    // Whether this element comes before other in document order.
    bool precedes(Node other) const;

    std::string name() const;
    // The text content of the node and its descendants.
    std::string text() const;
    // Replaces the content by one text node (none for an empty text); escaped when saved.
    void setText(std::string_view utf8Text) const;

    Node parent() const;
    Node firstChildElement() const;
    Node nextSiblingElement() const;
    // The child elements with that name, in document order; a copy that removals leave alone.
    std::vector<Node> childElements(std::string_view name) const;
    std::vector<Node> childElements() const;

    // Creates an element named name and appends it as the last child.
    Node appendElement(std::string_view name) const;
    // Appends an element whose children are all leaves with text. The leaves are kept as their
    // finished markup instead of as nodes, so that a table of many rows takes a fraction of the
    // memory; the document saves exactly as if they had been built node by node, but the
    // leaves are visible only to childTexts.
    struct Leaf {
        std::string_view name;
        std::string_view utf8Text;
    };
    // How the document saves this element's children: on lines of their own at an indentation
    // level, or run together. Finding out looks at every ancestor's children, so callers that
    // append many rows to one element ask once.
    struct ChildLayout {
        bool indented = true;
        int level = 1;
    };
    ChildLayout childLayout() const;
    Node appendCompactElement(std::string_view name, const std::vector<Leaf>& leaves,
                              const ChildLayout& layout) const;
    // The texts of the child elements named name in document order, those of leaves kept
    // compact included.
    std::vector<std::string> childTexts(std::string_view name) const;
    // Unlinks and frees child and its subtree.
    void removeChild(Node child) const;

  private:
    friend struct LibraryAccess;
    friend struct std::hash<Node>;
    explicit Node(xmlNode* node) : node_(node) {}

    xmlNode* node_ = nullptr;
};

}  // namespace kovrel::platform::xml

// Nodes as keys of unordered containers: the same element, the same key.
template <>
struct std::hash<kovrel::platform::xml::Node> {
    std::size_t operator()(const kovrel::platform::xml::Node& node) const noexcept {
        return std::hash<const void*>{}(node.node_);
    }
};
