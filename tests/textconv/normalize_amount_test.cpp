#include "textconv/normalize_amount.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace kovrel::textconv {
namespace {

// An amount field as a person uses it: each key goes in at the caret, then the change handler
// normalises the text and, when it changed, puts the caret one before normalizeAmount's caret.
struct AmountField {
    std::string text;
    int caret = 0;

    void changed() {
        const auto normal = normalizeAmount(text, caret);
        if (normal.text == text)
            return;
        text = normal.text;
        caret = std::clamp(normal.caret - 1, 0, static_cast<int>(text.size()));
    }
    void type(const std::string& keys) {
        for (const char key : keys) {
            text.insert(text.begin() + caret, key);
            ++caret;
            changed();
        }
    }
};

TEST(NormalizeAmount, TypedKeyByKey) {
    const struct {
        std::string keys;
        std::string text;
        int caret;
    } cases[] = {
        {"1234,56", "1234.56", 7}, {"12,5", "12.5", 4},  {"0,5", "0.5", 3},
        {",5", ".5", 2},           {"1.234", "1234", 4}, {"1,000", "1000", 4},
        {"1.500", "1500", 4},      {"1.2.3", "12.3", 4}, {"12.5,", "125.", 4},
        {"12,345", "12345", 5},  // a third decimal digit turns the point into a thousands one
        {"abc", "abc", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        AmountField field;
        field.type(c.keys);
        EXPECT_EQ(field.text, c.text);
        EXPECT_EQ(field.caret, c.caret);
    }
}

TEST(NormalizeAmount, PastedAsAWhole) {
    const struct {
        std::string pasted;
        std::string text;
    } cases[] = {
        {"1.234,56", "1234.56"},
        {"1,234", "1234"},
        {"1.234.567,8", "1234567.8"},
        {"12,50", "12.50"},
        {"100", "100"},
        {"x,y.z", "xy.z"},
        {"..", "."},
        {"1,2345", "12345"},
        {"12 500,75", "12 500.75"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pasted);
        AmountField field;
        field.text = c.pasted;
        field.caret = static_cast<int>(c.pasted.size());
        field.changed();
        EXPECT_EQ(field.text, c.text);
    }
}

// normalizeAmount's own caret: +1 for each comma turned into a point, -1 for a removed
// thousands point only when a comma was replaced and the caret is inside the new text.
TEST(NormalizeAmount, Caret) {
    const struct {
        std::string text;
        int caretIn;
        std::string expected;
        int caretOut;
    } cases[] = {
        {"abc", 2, "abc", 2},         {"1,5", 3, "1.5", 4},      {"1.5", 3, "1.5", 3},
        {"1.2.3,45", 8, "123.45", 9}, {"12,345", 2, "12345", 2}, {"12,345", 6, "12345", 7},
        {"1.5000", 6, "15000", 6},    {"a,b,c", 0, "ab.c", 1},   {"1.2", 0, "1.2", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text + " at " + std::to_string(c.caretIn));
        const auto result = normalizeAmount(c.text, c.caretIn);
        EXPECT_EQ(result.text, c.expected);
        EXPECT_EQ(result.caret, c.caretOut);
    }
}

TEST(NormalizeAmount, NormalTextIsAFixedPoint) {
    for (const std::string text : {"1234.56", "0.5", ".5", "125.", "1234", "", "abc"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(normalizeAmount(text, 1).text, text);
    }
}

// The old caret was a 16-bit count; a long amount must not wrap.
TEST(NormalizeAmount, LongTextHasNoSixteenBitLimit) {
    const std::string digits(100000, '7');
    const auto result = normalizeAmount(digits + ",5", 100002);
    EXPECT_EQ(result.text, digits + ".5");
    EXPECT_EQ(result.caret, 100003);
}

}  // namespace
}  // namespace kovrel::textconv
