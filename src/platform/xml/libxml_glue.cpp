#include "platform/xml/libxml_glue.h"

#include <algorithm>
#include <cstring>

#include "platform/messages.h"

namespace kovrel::platform::xml {
namespace {

void ignoreMessage(void*, const char*, ...) {}

}  // namespace

void ignoreError(void*, xmlError*) {}

QuietLibrary::QuietLibrary()
    : genericContext_(xmlGenericErrorContext),
      generic_(xmlGenericError),
      structuredContext_(xmlStructuredErrorContext),
      structured_(xmlStructuredError) {
    xmlSetGenericErrorFunc(nullptr, ignoreMessage);
    xmlSetStructuredErrorFunc(this, &QuietLibrary::swallow);
}

void QuietLibrary::swallow(void* self, xmlError* error) {
    if (error && error->code == XML_ERR_NO_MEMORY)
        static_cast<QuietLibrary*>(self)->hitSizeLimit_ = true;
}

QuietLibrary::~QuietLibrary() {
    xmlSetGenericErrorFunc(genericContext_, generic_);
    xmlSetStructuredErrorFunc(structuredContext_, structured_);
}

int MemorySource::read(void* context, char* buffer, int length) {
    auto* self = static_cast<MemorySource*>(context);
    const std::size_t count = std::min(self->rest.size(), static_cast<std::size_t>(length));
    std::memcpy(buffer, self->rest.data(), count);
    self->rest.remove_prefix(count);
    return static_cast<int>(count);
}

namespace {

using messages::ParseProblem;

// The library's error codes, in the few kinds a user can tell apart; its English text never
// reaches the user.
ParseProblem problemOf(const xmlError& error, int inputLines) {
    switch (error.code) {
        case XML_ERR_DOCUMENT_START:
        case XML_ERR_DOCUMENT_EMPTY:
            return ParseProblem::NotXml;
        case XML_ERR_TAG_NOT_FINISHED:
            return ParseProblem::EndsEarly;
        case XML_ERR_GT_REQUIRED:
        case XML_ERR_LTSLASH_REQUIRED:
            // A tag cut off at the very end is a file cut off.
            return error.line >= inputLines ? ParseProblem::EndsEarly : ParseProblem::TagMismatch;
        case XML_ERR_TAG_NAME_MISMATCH:
            return ParseProblem::TagMismatch;
        case XML_ERR_INVALID_CHAR:
            // The same code says that the bytes do not fit the declared encoding.
            return error.message && std::strstr(error.message, "UTF-8")
                       ? ParseProblem::Encoding
                       : ParseProblem::BadCharacter;
        case XML_ERR_INVALID_HEX_CHARREF:
        case XML_ERR_INVALID_DEC_CHARREF:
        case XML_ERR_INVALID_CHARREF:
        case XML_ERR_UNDECLARED_ENTITY:
        case XML_WAR_UNDECLARED_ENTITY:
            return ParseProblem::BadCharacter;
        case XML_ERR_UNKNOWN_ENCODING:
        case XML_ERR_UNSUPPORTED_ENCODING:
        case XML_ERR_INVALID_ENCODING:
            return ParseProblem::Encoding;
        case XML_ERR_NO_MEMORY:
            return ParseProblem::TooLarge;
        case XML_ERR_INTERNAL_ERROR:
            // The library's limits on nesting and on the size of a text are reported this way.
            if (error.message && std::strstr(error.message, "depth"))
                return ParseProblem::TooDeep;
            if (error.message && std::strstr(error.message, "uge"))
                return ParseProblem::TooLarge;
            return ParseProblem::Other;
        default:
            return ParseProblem::Other;
    }
}

// Whether a document type declaration comes before the first element: the library may fail
// on what it declares (an entity of entities, say) before the document is refused for having
// one at all.
bool declaresDocumentType(std::string_view bytes) {
    for (auto at = bytes.find('<'); at != std::string_view::npos; at = bytes.find('<', at + 1)) {
        const std::string_view rest = bytes.substr(at);
        if (rest.starts_with("<!DOCTYPE"))
            return true;
        if (!rest.starts_with("<?") && !rest.starts_with("<!--"))
            return false;
    }
    return false;
}

}  // namespace

std::string parseFailure(const xmlError* error, std::string_view bytes) {
    if (declaresDocumentType(bytes))
        return messages::parseFailure(ParseProblem::DocumentType, 0);
    // Without an error of its own the parser stopped on a limit: a text node beyond its size.
    if (!error || error->code == XML_ERR_OK)
        return messages::parseFailure(ParseProblem::TooLarge, 0);
    const int lines = 1 + static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n'));
    return messages::parseFailure(problemOf(*error, lines), error->line);
}

}  // namespace kovrel::platform::xml
