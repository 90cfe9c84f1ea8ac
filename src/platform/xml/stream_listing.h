#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A list read from a declaration file as a stream, without building the document's tree.
namespace kovrel::platform::xml {

// What a stream through a document finds under the first element that an absolute path
// "//a/b/c" reaches (see path.h).
struct FirstChildTexts {
    bool found = false;  // the path reaches an element
    // For each of that element's children with the given name, in document order: the text of
    // its own first child element, or none when it has no child element.
    std::vector<std::optional<std::string>> texts;
};

// Reads bytes as Document::parse would, with the same limits, but keeps only what the result
// needs and stops at the end of that element. Throws ParseError, as the parse would, when the
// document does not parse up to that end (or to its own end, when the path reaches nothing) or
// holds a document type declaration.
FirstChildTexts scanFirstChildTexts(std::string_view bytes, std::string_view path,
                                    std::string_view childName);

}  // namespace kovrel::platform::xml
