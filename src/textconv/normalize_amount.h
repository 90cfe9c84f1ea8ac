#pragma once

#include <string>
#include <string_view>

namespace kovrel::textconv {

struct NormalizedAmount {
    std::string text;
    int caret = 0;  // characters before the caret
};

// Keeps only the last of the separators "," and "." and makes it a point; a point followed by
// three or more characters is a thousands separator and is removed. The caret follows the
// edit so that it stays behind the character just typed.
NormalizedAmount normalizeAmount(std::string_view text, int caret);

}  // namespace kovrel::textconv
