#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"
#include "platform/xml/node.h"

typedef struct _xmlDoc xmlDoc;

namespace kovrel::platform::xml {

// A declaration file's document: parsed from bytes, changed through its Nodes, saved in the
// encoding its XML declaration names.
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
    // std::invalid_argument for an invalid expression.
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

  private:
    xmlDoc* doc_ = nullptr;
};

}  // namespace kovrel::platform::xml
