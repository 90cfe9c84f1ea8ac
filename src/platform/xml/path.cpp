#include "platform/xml/path.h"

#include <utility>

#include "platform/xml/libxml_glue.h"

namespace kovrel::platform::xml {

bool isOnPath(Node node, std::string_view path) {
    const xmlNode* next = LibraryAccess::raw(node);
    return pathReaches(path, [&next]() -> std::optional<std::string_view> {
        if (!next || next->type != XML_ELEMENT_NODE)
            return std::nullopt;
        const xmlNode* element = std::exchange(next, next->parent);
        return element->ns ? std::string_view() : asChars(element->name);
    });
}

}  // namespace kovrel::platform::xml
