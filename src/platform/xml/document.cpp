#include "platform/xml/document.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "platform/messages.h"
#include "platform/xml/compact_storage.h"
#include "platform/xml/libxml_glue.h"
#include "platform/xml/path.h"
#include "platform/xml/text_cleaning.h"

namespace kovrel::platform::xml {

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
        throw std::bad_alloc();
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
        const bool stoppedOnLimit = ctxt->wellFormed || quiet.hitSizeLimit();
        const xmlError* error = stoppedOnLimit ? nullptr : xmlCtxtGetLastError(ctxt.get());
        throw ParseError(parseFailure(error, bytes));
    }
    document.doc_ = doc;
    // Declarations never carry a document type; one that does may hide entities, so it is not
    // taken in at all.
    if (doc->intSubset || doc->extSubset)
        throw ParseError(messages::parseFailure(messages::ParseProblem::DocumentType, 0));
    if (holdsUnwritableNamespace(xmlDocGetRootElement(doc)))
        throw ParseError(messages::parseFailure(messages::ParseProblem::Namespace, 0));
    dropLayoutWhitespace(reinterpret_cast<xmlNode*>(doc));
    if (compactor.compactedAny())
        settleCompactRows(doc);
    return document;
}

bool Document::empty() const {
    return !doc_ || !xmlDocGetRootElement(doc_);
}

Node Document::root() const {
    return LibraryAccess::node(doc_ ? xmlDocGetRootElement(doc_) : nullptr);
}

Node Document::firstOnPath(std::string_view path) const {
    const std::string_view last = lastStep(path);
    // A walk in document order that stops at the first match.
    xmlNode* node = doc_ ? xmlDocGetRootElement(doc_) : nullptr;
    while (node) {
        if (node->type == XML_ELEMENT_NODE && last == asChars(node->name) &&
            isOnPath(LibraryAccess::node(node), path))
            return LibraryAccess::node(node);
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

std::vector<Node> Document::selectNodes(Node context, std::string_view xpath) const {
    const std::string expression(xpath);
    const QuietLibrary quiet;
    XmlPtr<xmlXPathCompExpr> compiled(xmlXPathCompile(asXml(expression.c_str())));
    if (!compiled)
        throw std::invalid_argument("invalid XPath expression " + expression);
    std::vector<Node> nodes;
    if (!doc_)
        return nodes;
    XmlPtr<xmlXPathContext> ctx(xmlXPathNewContext(doc_));
    if (!ctx)
        throw std::bad_alloc();
    ctx->error = ignoreError;
    ctx->node = context ? LibraryAccess::raw(context) : reinterpret_cast<xmlNode*>(doc_);
    XmlPtr<xmlXPathObject> result(xmlXPathCompiledEval(compiled.get(), ctx.get()));
    if (!result)
        throw std::invalid_argument("cannot evaluate " + expression);
    if (result->type != XPATH_NODESET || !result->nodesetval)
        return nodes;
    const xmlNodeSet* set = result->nodesetval;
    nodes.reserve(static_cast<std::size_t>(set->nodeNr));
    for (int i = 0; i < set->nodeNr; ++i) {
        if (set->nodeTab[i]->type == XML_ELEMENT_NODE)
            nodes.push_back(LibraryAccess::node(set->nodeTab[i]));
    }
    return nodes;
}

}  // namespace kovrel::platform::xml
