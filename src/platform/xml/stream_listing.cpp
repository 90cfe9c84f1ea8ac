#include "platform/xml/stream_listing.h"

#include <cstdint>
#include <new>

#include "platform/messages.h"
#include "platform/xml/document.h"
#include "platform/xml/libxml_glue.h"
#include "platform/xml/path.h"

namespace kovrel::platform::xml {
namespace {

// Elements in a namespace are named by an empty view, which no path step matches.
std::string readerElementName(xmlTextReader* reader) {
    if (xmlTextReaderConstNamespaceUri(reader))
        return {};
    const xmlChar* name = xmlTextReaderConstName(reader);
    return name ? asChars(name) : "";
}

// Whether the names of the open elements, outermost first, end with path's steps.
bool reachesLast(const std::vector<std::string>& open, std::string_view path) {
    auto next = open.rbegin();
    return pathReaches(path, [&]() -> std::optional<std::string_view> {
        if (next == open.rend())
            return std::nullopt;
        return *next++;
    });
}

// Why a stream broke off, as the tree's parse of the same bytes words it: the reader reports a
// file cut short as extra content at its end, which would send the user looking for the wrong
// fault.
ParseError brokenStream(std::string_view bytes) {
    try {
        Document::parse(bytes);
    } catch (const ParseError& e) {
        return e;
    }
    return ParseError(messages::parseFailure(messages::ParseProblem::Other, 0));
}

std::optional<std::string> firstChildText(xmlTextReader* reader) {
    xmlNode* record = xmlTextReaderExpand(reader);
    if (!record)
        return std::nullopt;
    xmlNode* first = xmlFirstElementChild(record);
    if (!first)
        return std::nullopt;
    return LibraryAccess::node(first).text();
}

}  // namespace

FirstChildTexts scanFirstChildTexts(std::string_view bytes, std::string_view path,
                                    std::string_view childName) {
    xmlInitParser();
    const QuietLibrary quiet;
    // From memory: read in pieces, the library shifts its buffer over and over.
    if (bytes.size() > static_cast<std::size_t>(INT32_MAX))
        throw ParseError(messages::parseFailure(messages::ParseProblem::TooLarge, 0));
    XmlPtr<xmlTextReader> reader(xmlReaderForMemory(bytes.data(), static_cast<int>(bytes.size()),
                                                    "declaration.xml", nullptr, kParseOptions));
    if (!reader)
        throw std::bad_alloc();
    bool fatal = false;  // the parser gave up, perhaps after reporting the end of the stream
    xmlTextReaderSetStructuredErrorHandler(
        reader.get(),
        [](void* flag, xmlError* error) {
            if (error && error->level == XML_ERR_FATAL)
                *static_cast<bool*>(flag) = true;
        },
        &fatal);
    FirstChildTexts result;
    std::vector<std::string> open;  // names of the elements enclosing the current node
    int listDepth = -1;             // depth of the matched element while it is open
    int status = 0;
    while ((status = xmlTextReaderRead(reader.get())) == 1) {
        const int type = xmlTextReaderNodeType(reader.get());
        if (type == XML_READER_TYPE_DOCUMENT_TYPE)
            throw ParseError(messages::parseFailure(messages::ParseProblem::DocumentType, 0));
        const int depth = xmlTextReaderDepth(reader.get());
        // The rest of the file is not read: the window's start-up stays quick on a declaration
        // of many rows. A file that breaks only after the element is found lists it; a run on
        // it fails with the parser's cause.
        const bool listEnds = (type == XML_READER_TYPE_END_ELEMENT && depth == listDepth);
        if (fatal)
            throw brokenStream(bytes);
        if (listEnds)
            return result;
        if (type != XML_READER_TYPE_ELEMENT)
            continue;
        open.resize(static_cast<std::size_t>(depth));
        open.push_back(readerElementName(reader.get()));
        if (!result.found && reachesLast(open, path)) {
            result.found = true;
            if (xmlTextReaderIsEmptyElement(reader.get()))
                return result;
            listDepth = depth;
        } else if (listDepth >= 0 && depth == listDepth + 1 && open.back() == childName) {
            result.texts.push_back(firstChildText(reader.get()));
        }
    }
    if (status != 0 || fatal)
        throw brokenStream(bytes);
    return result;
}

}  // namespace kovrel::platform::xml
