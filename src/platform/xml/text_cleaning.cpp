#include "platform/xml/text_cleaning.h"

#include <libxml/parserInternals.h>

#include <algorithm>
#include <cstring>

#include "platform/error.h"
#include "platform/messages.h"

namespace kovrel::platform::xml {

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
        const int size = xmlUTF8Size(asXml(text.data() + i));
        const std::size_t length = size > 0 ? static_cast<std::size_t>(size) : 0;
        char32_t cp = 0;
        bool valid = length >= 2 && length <= 4 && i + length <= text.size();
        if (valid) {
            cp = lead & (0x7F >> length);
            for (std::size_t k = 1; k < length && valid; ++k) {
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

bool isPlainText(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x80 && (byte >= 0x20 || byte == '\t' || byte == '\n' || byte == '\r');
    });
}

void checkTextLength(std::string_view text) {
    if (text.size() > XML_MAX_TEXT_LENGTH) {
        throw Error(messages::valueTooLong(text.size(), XML_MAX_TEXT_LENGTH));
    }
}

namespace {

bool isWhitespace(const xmlChar* text) {
    for (; *text; ++text) {
        if (*text != ' ' && *text != '\t' && *text != '\n' && *text != '\r')
            return false;
    }
    return true;
}

}  // namespace

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

}  // namespace kovrel::platform::xml
