#include "textconv/normalize_amount.h"

#include <gtest/gtest.h>

#include <string>

namespace kovrel::textconv {
namespace {

// The caret moves +1 for each comma turned into a point and -1 for a removed thousands point,
// the latter only when a comma was replaced and the caret is inside the new text.
TEST(NormalizeAmount, TextAndCaret) {
    const struct {
        std::string text;
        int caretIn;
        std::string expected;
        int caretOut;
    } cases[] = {
        {"1.234,56", 8, "1234.56", 9},     {"1.234.567,8", 11, "1234567.8", 12},
        {"x,y.z", 5, "xy.z", 5},           {"..", 2, ".", 2},
        {"12 500,75", 9, "12 500.75", 10}, {"12,345", 2, "12345", 2},
        {"12,345", 6, "12345", 7},         {"1.5000", 6, "15000", 6},
        {"a,b,c", 0, "ab.c", 1},           {"1234.56", 1, "1234.56", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text + " at " + std::to_string(c.caretIn));
        const auto result = normalizeAmount(c.text, c.caretIn);
        EXPECT_EQ(result.text, c.expected);
        EXPECT_EQ(result.caret, c.caretOut);
    }
}

}  // namespace
}  // namespace kovrel::textconv
