#include "textconv/normalize_amount.h"

#include <algorithm>

namespace kovrel::textconv {

NormalizedAmount normalizeAmount(std::string_view text, int caret) {
    const auto isSeparator = [](char c) { return c == ',' || c == '.'; };
    int remaining = static_cast<int>(std::count_if(text.begin(), text.end(), isSeparator));
    if (remaining == 0)
        return {std::string(text), caret};

    std::string out;
    out.reserve(text.size());
    bool commaReplaced = false;
    for (const char c : text) {
        if (remaining > 1) {
            if (isSeparator(c)) {
                --remaining;
            } else {
                out += c;
            }
        } else if (c == ',') {
            out += '.';
            commaReplaced = true;
            ++caret;
        } else {
            out += c;
        }
    }
    // A point with three or more characters after it separates thousands.
    const auto point = out.find('.');
    if (point != std::string::npos && out.size() - point - 1 >= 3) {
        out.erase(point, 1);
        if (commaReplaced && caret < static_cast<int>(out.size()))
            --caret;
    }
    return {out, caret};
}

}  // namespace kovrel::textconv
