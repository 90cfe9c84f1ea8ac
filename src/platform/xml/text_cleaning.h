#pragma once

#include <string>
#include <string_view>

#include "platform/xml/libxml_glue.h"

// What text the layer takes in and what it leaves out: text made fit for XML 1.0 before it is
// set, and the white space that only lays a file out dropped after it is read.
namespace kovrel::platform::xml {

// Text as XML 1.0 can hold it: malformed UTF-8 becomes U+FFFD and the control characters that
// no XML file may contain (even as references) are dropped, so a saved file always loads again.
std::string xmlSafeText(std::string_view text);

// Printable ASCII, the common case, needs no check and no copy.
bool isPlainText(std::string_view text);

// The parser refuses a text longer than its limit; a value that long is never saved, so that
// every declaration written loads again. Throws Error for one.
void checkTextLength(std::string_view text);

// A text node that only lays out the file: white space between elements, or white space that
// spans a line break inside an element that is otherwise empty. A value that is only spaces (a
// title of spaces) is not; values never hold line breaks.
bool isLayoutWhitespace(const xmlNode* node);

// Drops every such text node under parent.
void dropLayoutWhitespace(xmlNode* parent);

}  // namespace kovrel::platform::xml
