#pragma once

// How the layer's files reach libxml2. Private to the layer: outside src/platform/xml only the
// test of the library's assumptions includes it.
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlreader.h>
#include <libxml/xpath.h>

#include <memory>
#include <string>
#include <string_view>

#include "platform/xml/node.h"

namespace kovrel::platform::xml {

// One deleter per libxml2 type, so that nothing calls xmlFree by hand.
struct XmlDeleter {
    void operator()(xmlChar* p) const { xmlFree(p); }
    void operator()(xmlParserCtxt* p) const { xmlFreeParserCtxt(p); }
    void operator()(xmlXPathContext* p) const { xmlXPathFreeContext(p); }
    void operator()(xmlXPathObject* p) const { xmlXPathFreeObject(p); }
    void operator()(xmlXPathCompExpr* p) const { xmlXPathFreeCompExpr(p); }
    void operator()(xmlTextReader* p) const { xmlFreeTextReader(p); }
};
template <typename T>
using XmlPtr = std::unique_ptr<T, XmlDeleter>;

inline const xmlChar* asXml(const char* text) {
    return reinterpret_cast<const xmlChar*>(text);
}
inline const char* asChars(const xmlChar* text) {
    return reinterpret_cast<const char*>(text);
}

// The library's node behind a Node, and the Node for one of the library's nodes.
struct LibraryAccess {
    static xmlNode* raw(Node node) { return node.node_; }
    static Node node(xmlNode* raw) { return Node(raw); }
};

// Untrusted input: never the network, never external DTDs or entities, never entity
// substitution, and the library's own limits on depth, text size and expansion stay on. The
// tree and the stream read with the same options.
inline constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR |
                                     XML_PARSE_NOWARNING | XML_PARSE_NOCDATA;

// An error handler that drops what it is given.
void ignoreError(void* context, xmlError* error);

// The library reports some errors (a failed write, an invalid expression) on standard error by
// itself; while one of these lives, it keeps them to itself and callers report what failed.
class QuietLibrary {
  public:
    QuietLibrary();
    ~QuietLibrary();
    QuietLibrary(const QuietLibrary&) = delete;
    QuietLibrary& operator=(const QuietLibrary&) = delete;

    // Whether the parser stopped on its size limit for a text: it says so only here, as a
    // memory error, and then reports whatever it trips over next as its last error.
    bool hitSizeLimit() const { return hitSizeLimit_; }

  private:
    static void swallow(void* self, xmlError* error);

    bool hitSizeLimit_ = false;
    void* genericContext_;
    xmlGenericErrorFunc generic_;
    void* structuredContext_;
    xmlStructuredErrorFunc structured_;
};

// Hands the library a document in pieces straight from the caller's bytes, so that it does not
// take a copy of a large file first.
struct MemorySource {
    std::string_view rest;

    static int read(void* context, char* buffer, int length);
};

// Why the parser gave up, worded by the catalogue: error is its last error (none when it only
// stopped on one of its limits), bytes what it was given.
std::string parseFailure(const xmlError* error, std::string_view bytes);

}  // namespace kovrel::platform::xml
