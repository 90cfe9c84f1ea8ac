#include "platform/xml_document.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlreader.h>
#include <libxml/xmlsave.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <exception>

namespace kovrel::platform::xml {
namespace {

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

const xmlChar* asXml(const char* text) {
    return reinterpret_cast<const xmlChar*>(text);
}
const char* asChars(const xmlChar* text) {
    return reinterpret_cast<const char*>(text);
}

void ignoreError(void*, xmlError*) {}
void ignoreMessage(void*, const char*, ...) {}

// The library reports some errors (a failed write, an invalid expression) on standard error by
// itself; while one of these lives, it keeps them to itself and callers report what failed.
class QuietLibrary {
  public:
    QuietLibrary()
        : genericContext_(xmlGenericErrorContext),
          generic_(xmlGenericError),
          structuredContext_(xmlStructuredErrorContext),
          structured_(xmlStructuredError) {
        xmlSetGenericErrorFunc(nullptr, ignoreMessage);
        xmlSetStructuredErrorFunc(nullptr, ignoreError);
    }
    ~QuietLibrary() {
        xmlSetGenericErrorFunc(genericContext_, generic_);
        xmlSetStructuredErrorFunc(structuredContext_, structured_);
    }
    QuietLibrary(const QuietLibrary&) = delete;
    QuietLibrary& operator=(const QuietLibrary&) = delete;

  private:
    void* genericContext_;
    xmlGenericErrorFunc generic_;
    void* structuredContext_;
    xmlStructuredErrorFunc structured_;
};

// Hands the library a document in pieces straight from the caller's bytes, so that it does not
// take a copy of a large file first.
struct MemorySource {
    std::string_view rest;

    static int read(void* context, char* buffer, int length) {
        auto* self = static_cast<MemorySource*>(context);
        const std::size_t count = std::min(self->rest.size(), static_cast<std::size_t>(length));
        std::memcpy(buffer, self->rest.data(), count);
        self->rest.remove_prefix(count);
        return static_cast<int>(count);
    }
};

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
            if (lead >= 0x20 || lead == '\t' || lead == '\n' || lead == '\r')
                out += text[i];
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

// Printable ASCII, the common case, needs no check and no copy.
bool isPlainText(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x80 && (byte >= 0x20 || byte == '\t' || byte == '\n' || byte == '\r');
    });
}

bool isWhitespace(const xmlChar* text) {
    for (; *text; ++text) {
        if (*text != ' ' && *text != '\t' && *text != '\n' && *text != '\r')
            return false;
    }
    return true;
}

// A text node that only lays out the file: white space between elements, or white space that
// spans a line break inside an element that is otherwise empty. A value that is only spaces (a
// title of spaces) is not; values never hold line breaks.
bool isLayoutWhitespace(const xmlNode* node) {
    if (node->type != XML_TEXT_NODE || !isWhitespace(node->content))
        return false;
    const bool alone = !node->prev && !node->next;
    return !alone || std::strchr(asChars(node->content), '\n') != nullptr;
}

void dropLayoutWhitespace(xmlNode* parent) {
    xmlNode* child = parent->children;
    while (child) {
        xmlNode* next = child->next;
        if (child->type == XML_ELEMENT_NODE) {
            dropLayoutWhitespace(child);
        } else if (isLayoutWhitespace(child)) {
            xmlUnlinkNode(child);
            xmlFreeNode(child);
        }
        child = next;
    }
}

constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR |
                              XML_PARSE_NOWARNING | XML_PARSE_NOCDATA;

// The parser refuses a text longer than its limit; a value that long is never saved, so that
// every declaration written loads again.
void checkTextLength(std::string_view text) {
    if (text.size() > XML_MAX_TEXT_LENGTH) {
        throw Error("a value of " + std::to_string(text.size()) +
                    " bytes is longer than a declaration can hold (" +
                    std::to_string(XML_MAX_TEXT_LENGTH) + ")");
    }
}

// A text node; a short text is kept inside the node itself, as the library's own parser does,
// which saves an allocation for each of the many amounts and codes of a large declaration.
xmlNode* newTextNode(xmlDoc* doc, std::string_view text) {
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

}  // namespace

std::string Node::name() const {
    return asChars(node_->name);
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
        throw Error("cannot set element text");
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
            children.emplace_back(child);
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
        throw Error("cannot create the element " + ownName);
    }
    return Node(element);
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

// The saver lays out an element's children on lines of their own, indented two spaces a
// level up to 30 levels, unless the element or one of its ancestors holds text of its own.
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

// What the saver writes for text: the three markup characters and CR escaped.
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

// The finished markup of a row's leaves as the saver would write them under that layout.
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

// A text node written as it stands: the markup is finished already.
xmlNode* newMarkupNode(xmlDoc* doc, const std::string& markup) {
    xmlNode* node = xmlNewDocTextLen(doc, asXml(markup.data()), static_cast<int>(markup.size()));
    if (node)
        node->name = xmlStringTextNoenc;
    return node;
}

// An element whose leaves are kept as markup: its only child is such a text node.
const xmlNode* compactMarkupOf(const xmlNode* element) {
    const xmlNode* child = element->children;
    const bool compact = child && !child->next && child->type == XML_TEXT_NODE &&
                         child->name == xmlStringTextNoenc && child->content;
    return compact ? child : nullptr;
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

// The text content of a subtree as it reads once its layout white space is dropped; the leaves
// of compact rows count as the nodes they stand for.
void appendTextContent(const xmlNode* node, std::string& out) {
    for (const xmlNode* child = node->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            appendTextContent(child, out);
        } else if (child->type == XML_TEXT_NODE && child->name == xmlStringTextNoenc) {
            forEachLeaf(asChars(child->content), [&out](std::string_view, std::string_view text) {
                out += unescapeText(text);
            });
        } else if ((child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) &&
                   child->content && !isLayoutWhitespace(child)) {
            out += asChars(child->content);
        }
    }
}

}  // namespace

std::string Node::text() const {
    std::string content;
    appendTextContent(node_, content);
    return content;
}

Node::ChildLayout Node::childLayout() const {
    return {savedWithLayout(node_), levelOf(node_) + 1};
}

Node Node::appendCompactElement(std::string_view name, const std::vector<Leaf>& leaves,
                                const ChildLayout& layout) const {
    const Node element = appendElement(name);
    if (leaves.empty())
        return element;
    xmlNode* markup = newMarkupNode(node_->doc, compactMarkup(leaves, layout));
    if (!markup || !xmlAddChild(element.node_, markup)) {
        xmlFreeNode(markup);
        throw Error("cannot create the element " + std::string(name));
    }
    return element;
}

std::vector<std::string> Node::childTexts(std::string_view name) const {
    std::vector<std::string> texts;
    if (const xmlNode* markup = compactMarkupOf(node_)) {
        forEachLeaf(asChars(markup->content),
                    [&](std::string_view leafName, std::string_view text) {
                        if (leafName == name)
                            texts.push_back(unescapeText(text));
                    });
        return texts;
    }
    for (const Node child : childElements(name))
        texts.push_back(child.text());
    return texts;
}

void Node::removeChild(Node child) const {
    xmlUnlinkNode(child.node_);
    xmlFreeNode(child.node_);
}

Document::Document() = default;

Document::~Document() {
    if (doc_)
        xmlFreeDoc(doc_);
}

Document::Document(Document&& other) noexcept : doc_(other.doc_) {
    other.doc_ = nullptr;
}

Document& Document::operator=(Document&& other) noexcept {
    if (this != &other) {
        if (doc_)
            xmlFreeDoc(doc_);
        doc_ = other.doc_;
        other.doc_ = nullptr;
    }
    return *this;
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

// Turns the rows named in a list into compact elements as soon as the parser has built each,
// so that a file of many rows never stands in memory as a tree of nodes. Every row is laid out
// as indented; settleCompactRows corrects the few whose ancestors turn out to hold text.
class RowCompactor {
  public:
    RowCompactor(xmlParserCtxt* ctxt, std::span<const std::string_view> rowNames)
        : ctxt_(ctxt), rowNames_(rowNames) {
        if (rowNames.empty())
            return;
        ctxt->_private = this;
        ctxt->sax->endElementNs = &RowCompactor::endElement;
    }
    RowCompactor(const RowCompactor&) = delete;
    RowCompactor& operator=(const RowCompactor&) = delete;

    bool compactedAny() const { return compactedAny_; }

  private:
    static void endElement(void* context, const xmlChar* localName, const xmlChar* prefix,
                           const xmlChar* uri) {
        auto* ctxt = static_cast<xmlParserCtxt*>(context);
        xmlNode* element = ctxt->node;
        xmlSAX2EndElementNs(context, localName, prefix, uri);
        auto* self = static_cast<RowCompactor*>(ctxt->_private);
        // Entity content is parsed with a context of its own; only the document's rows count.
        if (self && ctxt == self->ctxt_ && element && element->type == XML_ELEMENT_NODE)
            self->compact(element);
    }

    // Called from the parser's C code: nothing may escape. A row that cannot be made compact
    // stays a tree, which saves the same.
    void compact(xmlNode* row) noexcept {
        try {
            const std::string_view name = asChars(row->name);
            if (std::find(rowNames_.begin(), rowNames_.end(), name) == rowNames_.end() ||
                !collectLeaves(row, leaves_))
                return;
            xmlNode* markup = newMarkupNode(row->doc, compactMarkup(leaves_, {true, levelOf(row)}));
            if (!markup)
                return;
            xmlFreeNodeList(row->children);
            row->children = row->last = nullptr;
            xmlAddChild(row, markup);
            compactedAny_ = true;
        } catch (...) {
        }
    }

    xmlParserCtxt* ctxt_;
    std::span<const std::string_view> rowNames_;
    std::vector<Node::Leaf> leaves_;
    bool compactedAny_ = false;
};

// Lays out each compact row under element again where the saver will not indent it, now that
// the whole tree is known.
void settleCompactRows(xmlNode* element, bool plainAncestors) {
    const bool indented = plainAncestors && !hasOwnText(element);
    for (xmlNode* child = element->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        xmlNode* markup = const_cast<xmlNode*>(compactMarkupOf(child));
        if (!markup) {
            settleCompactRows(child, indented);
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

// The library writes a namespace name without escaping it: one holding '<' or '&' would be
// saved as a file that does not load, one holding a line break or tab would load as another
// name.
bool holdsUnwritableNamespace(const xmlNode* element) {
    for (; element; element = element->next) {
        if (element->type != XML_ELEMENT_NODE)
            continue;
        for (const xmlNs* ns = element->nsDef; ns; ns = ns->next) {
            const std::string_view href = ns->href ? asChars(ns->href) : "";
            if (std::any_of(href.begin(), href.end(), [](char c) {
                    return c == '<' || c == '&' || static_cast<unsigned char>(c) < 32;
                }))
                return true;
        }
        if (holdsUnwritableNamespace(element->children))
            return true;
    }
    return false;
}

}  // namespace

Document Document::parse(std::string_view bytes, std::span<const std::string_view> compactRows) {
    xmlInitParser();
    Document document;
    XmlPtr<xmlParserCtxt> ctxt(xmlNewParserCtxt());
    if (!ctxt)
        throw Error("out of memory");
    // Untrusted input: never the network, never external DTDs or entities, never entity
    // substitution, and the library's own limits on depth, text size and expansion stay on.
    const QuietLibrary quiet;
    MemorySource source{bytes};
    RowCompactor compactor(ctxt.get(), compactRows);
    xmlDoc* doc = xmlCtxtReadIO(ctxt.get(), &MemorySource::read, nullptr, &source,
                                "declaration.xml", nullptr, kParseOptions);
    // A parser that stopped early (a text node over the library's size limit, say) leaves a
    // well-formed but truncated tree; that is a failure too, never a shorter declaration.
    if (!doc || !ctxt->wellFormed || ctxt->disableSAX) {
        if (doc)
            xmlFreeDoc(doc);
        const xmlError* error = xmlCtxtGetLastError(ctxt.get());
        std::string message = error && error->message ? error->message : "not XML";
        while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
            message.pop_back();
        throw Error((error ? "line " + std::to_string(error->line) + ": " : "") + message);
    }
    document.doc_ = doc;
    // Declarations never carry a document type; one that does may hide entities, so it is not
    // taken in at all.
    if (doc->intSubset || doc->extSubset)
        throw Error("the file has a document type declaration");
    if (holdsUnwritableNamespace(xmlDocGetRootElement(doc)))
        throw Error("a namespace name holds a character that cannot be saved");
    dropLayoutWhitespace(reinterpret_cast<xmlNode*>(doc));
    if (compactor.compactedAny())
        settleCompactRows(xmlDocGetRootElement(doc), true);
    return document;
}

bool Document::empty() const {
    return !doc_ || !xmlDocGetRootElement(doc_);
}

Node Document::root() const {
    return Node(doc_ ? xmlDocGetRootElement(doc_) : nullptr);
}

std::vector<Node> Document::selectNodes(Node context, std::string_view xpath) const {
    const std::string expression(xpath);
    const QuietLibrary quiet;
    XmlPtr<xmlXPathCompExpr> compiled(xmlXPathCompile(asXml(expression.c_str())));
    if (!compiled)
        throw Error("invalid XPath expression " + expression);
    std::vector<Node> nodes;
    if (!doc_)
        return nodes;
    XmlPtr<xmlXPathContext> ctx(xmlXPathNewContext(doc_));
    if (!ctx)
        throw Error("out of memory");
    ctx->error = ignoreError;
    ctx->node = context ? context.raw() : reinterpret_cast<xmlNode*>(doc_);
    XmlPtr<xmlXPathObject> result(xmlXPathCompiledEval(compiled.get(), ctx.get()));
    if (!result)
        throw Error("cannot evaluate " + expression);
    if (result->type != XPATH_NODESET || !result->nodesetval)
        return nodes;
    const xmlNodeSet* set = result->nodesetval;
    nodes.reserve(set->nodeNr);
    for (int i = 0; i < set->nodeNr; ++i) {
        if (set->nodeTab[i]->type == XML_ELEMENT_NODE)
            nodes.emplace_back(set->nodeTab[i]);
    }
    return nodes;
}

bool isOnPath(Node node, std::string_view path) {
    std::string_view steps = path.substr(std::min<std::size_t>(2, path.size()));  // after "//"
    for (const xmlNode* n = node.raw(); n && n->type == XML_ELEMENT_NODE; n = n->parent) {
        const auto slash = steps.rfind('/');
        const std::string_view step =
            slash == std::string_view::npos ? steps : steps.substr(slash + 1);
        if (n->ns || step != asChars(n->name))
            return false;
        if (slash == std::string_view::npos)
            return true;
        steps = steps.substr(0, slash);
    }
    return false;
}

Node Document::firstOnPath(std::string_view path) const {
    const std::string_view last = path.substr(path.rfind('/') + 1);
    // A walk in document order that stops at the first match.
    xmlNode* node = doc_ ? xmlDocGetRootElement(doc_) : nullptr;
    while (node) {
        if (node->type == XML_ELEMENT_NODE && last == asChars(node->name) &&
            isOnPath(Node(node), path))
            return Node(node);
        if (node->children && node->type == XML_ELEMENT_NODE) {
            node = node->children;
            continue;
        }
        while (node && !node->next) {
            node = node->parent;
            if (node && node->type != XML_ELEMENT_NODE)
                node = nullptr;
        }
        if (node)
            node = node->next;
    }
    return Node();
}

Node Document::selectSingleNode(std::string_view xpath) const {
    const auto nodes = selectNodes(Node(), xpath);
    return nodes.empty() ? Node() : nodes.front();
}

namespace {

// Turns the library's LF line ends into CR LF on the way out and passes the bytes on in large
// pieces. The library calls it from C: what the sink throws is kept and thrown again once the
// library has returned.
class CrLfOutput {
  public:
    explicit CrLfOutput(const std::function<void(std::string_view)>& sink) : sink_(sink) {
        buffer_.reserve(kChunk + kChunk / 8);
    }

    static int write(void* context, const char* bytes, int length) {
        auto* self = static_cast<CrLfOutput*>(context);
        return self->append(std::string_view(bytes, static_cast<std::size_t>(length))) ? length
                                                                                       : -1;
    }

    bool flush() noexcept {
        if (failure_)
            return false;
        try {
            if (!buffer_.empty())
                sink_(buffer_);
        } catch (...) {
            failure_ = std::current_exception();
        }
        buffer_.clear();
        return !failure_;
    }

    void rethrowFailure() const {
        if (failure_)
            std::rethrow_exception(failure_);
    }

  private:
    static constexpr std::size_t kChunk = 1 << 16;

    bool append(std::string_view bytes) noexcept {
        if (failure_)
            return false;
        try {
            while (!bytes.empty()) {
                const auto lineEnd = bytes.find('\n');
                if (lineEnd == std::string_view::npos) {
                    buffer_.append(bytes);
                    break;
                }
                buffer_.append(bytes.substr(0, lineEnd));
                buffer_.append("\r\n");
                bytes.remove_prefix(lineEnd + 1);
            }
        } catch (...) {
            failure_ = std::current_exception();
            return false;
        }
        return buffer_.size() < kChunk || flush();
    }

    const std::function<void(std::string_view)>& sink_;
    std::string buffer_;
    std::exception_ptr failure_;
};

}  // namespace

void Document::write(const std::function<void(std::string_view)>& sink) const {
    if (!doc_)
        return;
    const char* encoding = doc_->encoding ? asChars(doc_->encoding) : "UTF-8";
    const QuietLibrary quiet;
    CrLfOutput output(sink);
    xmlSaveCtxt* save = xmlSaveToIO(&CrLfOutput::write, nullptr, &output, encoding,
                                    XML_SAVE_FORMAT | XML_SAVE_AS_XML);
    if (!save)
        throw Error(std::string("cannot write the document in ") + encoding);
    const long started = xmlSaveDoc(save, doc_);
    const int closed = xmlSaveClose(save);
    const bool flushed = output.flush();
    output.rethrowFailure();
    if (started < 0 || closed < 0 || !flushed)
        throw Error(std::string("cannot write the document in ") + encoding);
}

std::string Document::serialize() const {
    std::string out;
    write([&out](std::string_view piece) { out.append(piece); });
    return out;
}

namespace {

// The steps of an absolute path "//a/b/c"; the first may match at any depth.
std::vector<std::string_view> pathSteps(std::string_view path) {
    std::vector<std::string_view> steps;
    path.remove_prefix(std::min<std::size_t>(2, path.size()));
    while (!path.empty()) {
        const auto slash = path.find('/');
        steps.push_back(path.substr(0, slash));
        if (slash == std::string_view::npos)
            break;
        path.remove_prefix(slash + 1);
    }
    return steps;
}

bool endsWithSteps(const std::vector<std::string>& open,
                   const std::vector<std::string_view>& steps) {
    if (steps.empty() || open.size() < steps.size())
        return false;
    return std::equal(steps.rbegin(), steps.rend(), open.rbegin());
}

// Elements in a namespace never match a path step, as in an XPath expression without prefixes.
std::string readerElementName(xmlTextReader* reader) {
    if (xmlTextReaderConstNamespaceUri(reader))
        return {};
    const xmlChar* name = xmlTextReaderConstName(reader);
    return name ? asChars(name) : "";
}

std::optional<std::string> firstChildText(xmlTextReader* reader) {
    const xmlNode* record = xmlTextReaderExpand(reader);
    if (!record)
        return std::nullopt;
    const xmlNode* first = xmlFirstElementChild(const_cast<xmlNode*>(record));
    if (!first)
        return std::nullopt;
    std::string text;
    appendTextContent(first, text);
    return text;
}

}  // namespace

FirstChildTexts scanFirstChildTexts(std::string_view bytes, std::string_view path,
                                    std::string_view childName) {
    xmlInitParser();
    const QuietLibrary quiet;
    // From memory: read in pieces, the library shifts its buffer over and over.
    if (bytes.size() > static_cast<std::size_t>(INT32_MAX))
        return {};
    XmlPtr<xmlTextReader> reader(xmlReaderForMemory(bytes.data(), static_cast<int>(bytes.size()),
                                                    "declaration.xml", nullptr, kParseOptions));
    if (!reader)
        return {};
    bool fatal = false;  // the parser gave up, perhaps after reporting the end of the stream
    xmlTextReaderSetStructuredErrorHandler(
        reader.get(),
        [](void* flag, xmlError* error) {
            if (error && error->level == XML_ERR_FATAL)
                *static_cast<bool*>(flag) = true;
        },
        &fatal);
    const auto steps = pathSteps(path);
    FirstChildTexts result;
    std::vector<std::string> open;  // names of the elements enclosing the current node
    int listDepth = -1;             // depth of the matched element while it is open
    int status = 0;
    while ((status = xmlTextReaderRead(reader.get())) == 1) {
        const int type = xmlTextReaderNodeType(reader.get());
        if (type == XML_READER_TYPE_DOCUMENT_TYPE)
            return {};
        const int depth = xmlTextReaderDepth(reader.get());
        // The rest of the file is not read: the window's start-up stays quick on a declaration
        // of many rows. A file that breaks only after the element is found lists it; a run on
        // it fails with the parser's message.
        if (type == XML_READER_TYPE_END_ELEMENT && depth == listDepth)
            return fatal ? FirstChildTexts{} : result;
        if (type != XML_READER_TYPE_ELEMENT)
            continue;
        open.resize(static_cast<std::size_t>(depth));
        open.push_back(readerElementName(reader.get()));
        if (!result.found && endsWithSteps(open, steps)) {
            result.found = true;
            if (xmlTextReaderIsEmptyElement(reader.get()))
                return fatal ? FirstChildTexts{} : result;
            listDepth = depth;
        } else if (listDepth >= 0 && depth == listDepth + 1 && open.back() == childName) {
            result.texts.push_back(firstChildText(reader.get()));
        }
    }
    // Like a document that does not parse, a stream that breaks off finds nothing.
    if (status != 0 || fatal)
        return {};
    return result;
}

}  // namespace kovrel::platform::xml
