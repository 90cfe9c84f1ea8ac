#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"

typedef struct _xmlDoc xmlDoc;
typedef struct _xmlNode xmlNode;

// A small RAII layer over libxml2: DOM, XPath 1.0 selection and serialisation. Text in and out
// is UTF-8; the file's own encoding is used only when parsing and saving.
namespace kovrel::platform::xml {

// A non-owning handle to an element of a Document; valid while the element is in its document.
class Node {
  public:
    Node() = default;
    explicit Node(xmlNode* node) : node_(node) {}

    explicit operator bool() const { return node_ != nullptr; }
    bool operator==(const Node& other) const { return node_ == other.node_; }
    xmlNode* raw() const { return node_; }

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
    xmlNode* node_ = nullptr;
};

// Whether an absolute path "//a/b/c" reaches node: its name is the last step and its ancestors
// carry the earlier ones. Like XPath names without a prefix, no step matches an element in a
// namespace.
bool isOnPath(Node node, std::string_view path);

class Document {
  public:
    Document();  // empty: no root, every selection finds nothing
    ~Document();
    Document(Document&&) noexcept;
    Document& operator=(Document&&) noexcept;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // Parses untrusted bytes: no network, no DTD loading, no entity substitution, whitespace-only
    // text between elements dropped. A document that does not parse throws Error with the
    // parser's message.
    // Elements named in compactRows whose children are all leaves with text are kept compact
    // (see Node::appendCompactElement) from the moment each is parsed, so that a file of many
    // table rows loads in a fraction of the memory; it saves byte for byte as it would have.
    static Document parse(std::string_view bytes,
                          std::span<const std::string_view> compactRows = {});

    bool empty() const;
    Node root() const;

    // The first element in document order that an absolute path "//a/b/c" reaches (a anywhere,
    // each later step a child of the one before), as the same XPath expression would select it.
    Node firstOnPath(std::string_view path) const;

    // The first node matching an XPath 1.0 expression in document order, or none. Throws
    // Error for an invalid expression.
    Node selectSingleNode(std::string_view xpath) const;
    // The matching nodes in document order, relative to context.
    std::vector<Node> selectNodes(Node context, std::string_view xpath) const;

    // The document in the encoding its XML declaration names (UTF-8 when it names none), with
    // the library's indentation and CR LF line ends.
    std::string serialize() const;
    // Hands the bytes that serialize() returns to sink piece by piece, without ever holding the
    // whole text. Throws Error when the document cannot be written; what the sink throws passes
    // through.
    void write(const std::function<void(std::string_view piece)>& sink) const;

    xmlDoc* raw() const { return doc_; }

  private:
    xmlDoc* doc_ = nullptr;
};

// What a stream through a document finds under the first element that an absolute path
// "//a/b/c" reaches, without building the document's tree.
struct FirstChildTexts {
    bool found = false;  // the path reaches an element
    // For each of that element's children with the given name, in document order: the text of
    // its own first child element, or none when it has no child element.
    std::vector<std::optional<std::string>> texts;
};

// Reads bytes as Document::parse would (the same limits; a document that does not parse up to
// the end of the element found, or that holds a document type declaration, finds nothing) but
// keeps only what the result needs and stops at the end of that element.
FirstChildTexts scanFirstChildTexts(std::string_view bytes, std::string_view path,
                                    std::string_view childName);

}  // namespace kovrel::platform::xml
