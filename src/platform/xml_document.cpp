#include "platform/xml_document.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <cstring>

namespace kovrel::platform::xml {
namespace {

// One deleter per libxml2 type, so that nothing calls xmlFree by hand.
struct XmlDeleter {
    void operator()(xmlChar* p) const { xmlFree(p); }
    void operator()(xmlParserCtxt* p) const { xmlFreeParserCtxt(p); }
    void operator()(xmlXPathContext* p) const { xmlXPathFreeContext(p); }
    void operator()(xmlXPathObject* p) const { xmlXPathFreeObject(p); }
    void operator()(xmlXPathCompExpr* p) const { xmlXPathFreeCompExpr(p); }
};
template <typename T>
using XmlPtr = std::unique_ptr<T, XmlDeleter>;

const xmlChar* asXml(const char* text) { return reinterpret_cast<const xmlChar*>(text); }
const char* asChars(const xmlChar* text) { return reinterpret_cast<const char*>(text); }

void ignoreError(void*, xmlError*) {}

bool isElementNamed(const xmlNode* node, std::string_view name) {
    return node->type == XML_ELEMENT_NODE && name == asChars(node->name);
}

// Text as XML 1.0 can hold it: malformed UTF-8 becomes U+FFFD and the control characters that
// no XML file may contain (even as references) are dropped, so a saved file always loads again.
std::string xmlSafeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            if (lead >= 0x20 || lead == '\t' || lead == '\n' || lead == '\r') out += text[i];
            ++i;
            continue;
        }
        int length = xmlUTF8Size(reinterpret_cast<const xmlChar*>(text.data() + i));
        char32_t cp = 0;
        bool valid = length >= 2 && length <= 4 && i + length <= text.size();
        if (valid) {
            cp = lead & (0x7F >> length);
            for (int k = 1; k < length && valid; ++k) {
                const auto cont = static_cast<unsigned char>(text[i + k]);
                valid = (cont & 0xC0) == 0x80;
                cp = (cp << 6) | (cont & 0x3F);
            }
            const char32_t minimum = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
            valid = valid && cp >= minimum && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF) &&
                    cp != 0xFFFE && cp != 0xFFFF;
        }
        if (valid) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

bool isWhitespace(const xmlChar* text) {
    for (; *text; ++text) {
        if (*text != ' ' && *text != '\t' && *text != '\n' && *text != '\r') return false;
    }
    return true;
}

// Drops the text nodes that only lay out the file: white space between elements, and white
// space that spans a line break inside an element that is otherwise empty. A value that is
// only spaces (a title of spaces) stays; values never hold line breaks.
void dropLayoutWhitespace(xmlNode* parent) {
    xmlNode* child = parent->children;
    while (child) {
        xmlNode* next = child->next;
        if (child->type == XML_ELEMENT_NODE) {
            dropLayoutWhitespace(child);
        } else if (child->type == XML_TEXT_NODE && isWhitespace(child->content)) {
            const bool alone = !child->prev && !child->next;
            const bool spansLine = std::strchr(asChars(child->content), '\n') != nullptr;
            if (!alone || spansLine) {
                xmlUnlinkNode(child);
                xmlFreeNode(child);
            }
        }
        child = next;
    }
}

}  // namespace

std::string Node::name() const { return asChars(node_->name); }

std::string Node::text() const {
    XmlPtr<xmlChar> content(xmlNodeGetContent(node_));
    return content ? asChars(content.get()) : "";
}

void Node::setText(std::string_view utf8Text) const {
    xmlNodeSetContent(node_, nullptr);
    const std::string safe = xmlSafeText(utf8Text);
    if (safe.empty()) return;
    xmlNode* textNode =
        xmlNewDocTextLen(node_->doc, asXml(safe.c_str()), static_cast<int>(safe.size()));
    if (!textNode || !xmlAddChild(node_, textNode)) throw XmlError("cannot set element text");
}

Node Node::parent() const {
    xmlNode* p = node_->parent;
    return Node(p && p->type == XML_ELEMENT_NODE ? p : nullptr);
}

Node Node::firstChildElement() const { return Node(xmlFirstElementChild(node_)); }

Node Node::nextSiblingElement() const { return Node(xmlNextElementSibling(node_)); }

std::vector<Node> Node::childElements(std::string_view name) const {
    std::vector<Node> children;
    for (xmlNode* child = node_->children; child; child = child->next) {
        if (isElementNamed(child, name)) children.emplace_back(child);
    }
    return children;
}

std::vector<Node> Node::childElements() const {
    std::vector<Node> children;
    for (xmlNode* child = xmlFirstElementChild(node_); child; child = xmlNextElementSibling(child))
        children.emplace_back(child);
    return children;
}

Node Node::appendElement(std::string_view name) const {
    const std::string ownName(name);
    xmlNode* element = xmlNewDocNode(node_->doc, nullptr, asXml(ownName.c_str()), nullptr);
    if (!element || !xmlAddChild(node_, element)) {
        xmlFreeNode(element);
        throw XmlError("cannot create the element " + ownName);
    }
    return Node(element);
}

void Node::removeChild(Node child) const {
    xmlUnlinkNode(child.node_);
    xmlFreeNode(child.node_);
}

Document::Document() = default;

Document::~Document() {
    if (doc_) xmlFreeDoc(doc_);
}

Document::Document(Document&& other) noexcept : doc_(other.doc_) { other.doc_ = nullptr; }

Document& Document::operator=(Document&& other) noexcept {
    if (this != &other) {
        if (doc_) xmlFreeDoc(doc_);
        doc_ = other.doc_;
        other.doc_ = nullptr;
    }
    return *this;
}

Document Document::parse(std::string_view bytes, std::string* parseError) {
    xmlInitParser();
    Document document;
    XmlPtr<xmlParserCtxt> ctxt(xmlNewParserCtxt());
    if (!ctxt) {
        if (parseError) *parseError = "out of memory";
        return document;
    }
    // Untrusted input: never the network, never external DTDs or entities, never entity
    // substitution, and the library's own limits on depth, text size and expansion stay on.
    const int options = XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR |
                        XML_PARSE_NOWARNING | XML_PARSE_NOCDATA;
    if (bytes.size() > static_cast<std::size_t>(INT32_MAX)) {
        if (parseError) *parseError = "the file is too large";
        return document;
    }
    xmlDoc* doc = xmlCtxtReadMemory(ctxt.get(), bytes.data(), static_cast<int>(bytes.size()),
                                    "declaration.xml", nullptr, options);
    if (!doc || !ctxt->wellFormed) {
        if (doc) xmlFreeDoc(doc);
        if (parseError) {
            const xmlError* error = xmlCtxtGetLastError(ctxt.get());
            std::string message = error && error->message ? error->message : "not XML";
            while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
                message.pop_back();
            *parseError = (error ? "line " + std::to_string(error->line) + ": " : "") + message;
        }
        return document;
    }
    // Declarations never carry a document type; one that does may hide entities, so it is not
    // taken in at all.
    if (doc->intSubset || doc->extSubset) {
        xmlFreeDoc(doc);
        if (parseError) *parseError = "the file has a document type declaration";
        return document;
    }
    dropLayoutWhitespace(reinterpret_cast<xmlNode*>(doc));
    document.doc_ = doc;
    return document;
}

bool Document::empty() const { return !doc_ || !xmlDocGetRootElement(doc_); }

Node Document::root() const { return Node(doc_ ? xmlDocGetRootElement(doc_) : nullptr); }

std::vector<Node> Document::selectNodes(Node context, std::string_view xpath) const {
    const std::string expression(xpath);
    XmlPtr<xmlXPathCompExpr> compiled(xmlXPathCompile(asXml(expression.c_str())));
    if (!compiled) throw XmlError("invalid XPath expression " + expression);
    std::vector<Node> nodes;
    if (!doc_) return nodes;
    XmlPtr<xmlXPathContext> ctx(xmlXPathNewContext(doc_));
    if (!ctx) throw XmlError("out of memory");
    ctx->error = ignoreError;
    ctx->node = context ? context.raw() : reinterpret_cast<xmlNode*>(doc_);
    XmlPtr<xmlXPathObject> result(xmlXPathCompiledEval(compiled.get(), ctx.get()));
    if (!result) throw XmlError("cannot evaluate " + expression);
    if (result->type != XPATH_NODESET || !result->nodesetval) return nodes;
    const xmlNodeSet* set = result->nodesetval;
    nodes.reserve(set->nodeNr);
    for (int i = 0; i < set->nodeNr; ++i) {
        if (set->nodeTab[i]->type == XML_ELEMENT_NODE) nodes.emplace_back(set->nodeTab[i]);
    }
    return nodes;
}

Node Document::selectSingleNode(std::string_view xpath) const {
    const auto nodes = selectNodes(Node(), xpath);
    return nodes.empty() ? Node() : nodes.front();
}

std::string Document::serialize() const {
    if (!doc_) return {};
    const char* encoding = doc_->encoding ? asChars(doc_->encoding) : "UTF-8";
    xmlChar* raw = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(doc_, &raw, &size, encoding, 1);
    XmlPtr<xmlChar> memory(raw);
    if (!memory || size <= 0) throw XmlError(std::string("cannot write the document in ") + encoding);
    const std::string_view dumped(asChars(memory.get()), static_cast<std::size_t>(size));
    std::string out;
    out.reserve(dumped.size() + dumped.size() / 16);
    for (const char c : dumped) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

}  // namespace kovrel::platform::xml
