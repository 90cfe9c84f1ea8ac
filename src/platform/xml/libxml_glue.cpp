#include "platform/xml/libxml_glue.h"

#include <algorithm>
#include <cstring>

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
    xmlSetStructuredErrorFunc(nullptr, ignoreError);
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

std::string parseFailure(xmlParserCtxt* ctxt) {
    const xmlError* error = xmlCtxtGetLastError(ctxt);
    std::string message = error && error->message ? error->message : "not XML";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    return (error ? "line " + std::to_string(error->line) + ": " : "") + message;
}

}  // namespace kovrel::platform::xml
