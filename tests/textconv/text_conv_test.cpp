#include "textconv/text_conv.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace kovrel::textconv {
namespace {

std::string byteText(int byte) {
    return std::string(1, static_cast<char>(byte));
}

// Each code page 857 letter the mapping knows, its letter, and that letter's ISO-8859-9 byte.
constexpr std::tuple<int, const char*, int> kTurkishLetters[] = {
    {0x80, "Ç", 0xC7}, {0x81, "ü", 0xFC}, {0x87, "ç", 0xE7}, {0x8D, "ı", 0xFD},
    {0x94, "ö", 0xF6}, {0x98, "İ", 0xDD}, {0x99, "Ö", 0xD6}, {0x9A, "Ü", 0xDC},
    {0x9E, "Ş", 0xDE}, {0x9F, "ş", 0xFE}, {0xA6, "Ğ", 0xD0}, {0xA7, "ğ", 0xF0},
};

// Every byte value: the twelve letters, 255 as a space, printable ASCII as it is, the rest gone.
TEST(MapTurkishChars, EveryByteValue) {
    for (int byte = 0; byte < 256; ++byte) {
        SCOPED_TRACE(byte);
        std::string expected = byte >= 32 && byte <= 126 ? byteText(byte) : "";
        if (byte == 0xFF)
            expected = " ";
        for (const auto& [cp857, letter, latin5] : kTurkishLetters) {
            if (cp857 == byte)
                expected = letter;
        }
        EXPECT_EQ(mapTurkishChars(byteText(byte)), expected);
    }
    for (const auto& [cp857, letter, latin5] : kTurkishLetters)
        EXPECT_EQ(encodeLatin5(mapTurkishChars(byteText(cp857))), byteText(latin5)) << letter;
}

// A character that ISO-8859-9 cannot hold is kept as a character reference, not lost.
TEST(Latin5, SixTurkishPositionsTheLatin1RestAndReferencesForTheOthers) {
    EXPECT_EQ(decodeLatin5("\xD0\xDD\xDE\xF0\xFD\xFE"), "ĞİŞğış");
    EXPECT_EQ(decodeLatin5("\xC7\xD6\xDC\xE7\xF6\xFC\xE9"), "ÇÖÜçöüé");
    for (int byte = 0; byte < 256; ++byte)
        EXPECT_EQ(encodeLatin5(decodeLatin5(byteText(byte))), byteText(byte)) << byte;
    EXPECT_EQ(encodeLatin5("a€b"), "a&#8364;b");
    EXPECT_EQ(encodeLatin5("Ð"), "&#208;");  // U+00D0: ISO-8859-9 has Ğ at 0xD0
    EXPECT_EQ(encodeLatin5("ý"), "&#253;");  // U+00FD: ISO-8859-9 has ı at 0xFD
    EXPECT_EQ(encodeLatin5("Ş😀"), "\xDE&#128512;");
}

TEST(CleanXmlFile, LineEndsAndControlCharacters) {
    const struct {
        const char* what;
        std::string input;
        std::string expected;
    } cases[] = {
        {"last line gets its line end", "<a>\r\n</a>", "<a>\r\n</a>\r\n"},
        {"lone CR ends a line", "<a>\r<b/>\r</a>", "<a>\r\n<b/>\r\n</a>\r\n"},
        {"LF-only file becomes one line", "<a>\n<b/>\n</a>\n", "<a><b/></a>\r\n"},
        {"CR before CR LF gives an empty line", "a\r\r\nb\r\n", "a\r\n\r\nb\r\n"},
        {"every control code but tab goes", std::string("x\0\x01\x08\x0B\x0C\x0E\x1F\ty\r\n", 12),
         "x\ty\r\n"},
        {"bytes 127 to 255 pass", "\x7F\x80\xB3\xDE\xFF\r\n", "\x7F\x80\xB3\xDE\xFF\r\n"},
        {"a line of control characters stays as an empty line", "\x01\x02\r\nz", "\r\nz\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(cleanXmlFile(c.input), c.expected);
    }
}

}  // namespace
}  // namespace kovrel::textconv
