#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

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
    // Unlinks and frees child and its subtree.
    void removeChild(Node child) const;

private:
    xmlNode* node_ = nullptr;
};

class Document {
public:
    Document();  // empty: no root, every selection finds nothing
    ~Document();
    Document(Document&&) noexcept;
    Document& operator=(Document&&) noexcept;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // Parses untrusted bytes: no network, no DTD loading, no entity substitution, whitespace-only
    // text between elements dropped. A document that does not parse is empty; the parser's
    // message is returned through parseError.
    static Document parse(std::string_view bytes, std::string* parseError = nullptr);

    bool empty() const;
    Node root() const;

    // The first node matching an XPath 1.0 expression in document order, or none. Throws
    // XmlError for an invalid expression.
    Node selectSingleNode(std::string_view xpath) const;
    // The matching nodes in document order, relative to context.
    std::vector<Node> selectNodes(Node context, std::string_view xpath) const;

    // The document in the encoding its XML declaration names (UTF-8 when it names none), with
    // the library's indentation and CR LF line ends.
    std::string serialize() const;

    xmlDoc* raw() const { return doc_; }

private:
    xmlDoc* doc_ = nullptr;
};

class XmlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace kovrel::platform::xml
