#include "textconv/text_conv.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#if __has_include(<iconv.h>)
#include <iconv.h>
#endif

#include "textconv/normalize_amount.h"

namespace kovrel::textconv {
namespace {

#if __has_include(<iconv.h>)
std::string byteText(int byte) {
    return std::string(1, static_cast<char>(byte));
}

// The byte's character in a code page as the C library reads it (UTF-8), or "" without one.
std::string inCodePage(const char* codePage, int byte) {
    const iconv_t cd = iconv_open("UTF-8", codePage);
    std::string in = byteText(byte), out(8, '\0');
    char *from = in.data(), *to = out.data();
    std::size_t fromLeft = 1, toLeft = out.size();
    const bool read = iconv(cd, &from, &fromLeft, &to, &toLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    return read ? out.substr(0, out.size() - toLeft) : "";
}

// Every byte against the C library's tables: code page 857's Turkish letters, 255 (a no-break
// space) as a space and printable ASCII stay, the rest goes; ISO-8859-9 reads and encodes back,
// and what it cannot hold (the Latin-1 letters whose places the Turkish ones took too) becomes a
// character reference, not lost.
TEST(SingleByteText, EveryByteAsTheCodePagesHaveIt) {
    const std::string turkishLetters = "ÇçĞğİıÖöŞşÜü";
    for (int byte = 0; byte < 256; ++byte) {
        SCOPED_TRACE(byte);
        const std::string cp857 = inCodePage("CP857", byte);
        const bool letter = byte >= 0x80 && turkishLetters.find(cp857) != std::string::npos;
        const bool ascii = byte >= 32 && byte < 127;
        EXPECT_EQ(mapTurkishChars(byteText(byte)), letter || ascii ? cp857
                                                   : byte == 255   ? " "
                                                                   : "");
        EXPECT_EQ(decodeLatin5(byteText(byte)), inCodePage("ISO-8859-9", byte));
        EXPECT_EQ(encodeLatin5(decodeLatin5(byteText(byte))), byteText(byte));
    }
    EXPECT_EQ(encodeLatin5("a€b Ðý Ş😀"), "a&#8364;b &#208;&#253; \xDE&#128512;");
}
#endif

// The last line gets its line end, a lone CR ends a line, an LF-only file becomes one line;
// every control code but tab goes, bytes 127 to 255 pass.
TEST(CleanXmlFile, LineEndsAndControlCharacters) {
    const std::pair<std::string, std::string> cases[] = {
        {"<a>\r\n</a>", "<a>\r\n</a>\r\n"},
        {"<a>\r<b/>\r</a>", "<a>\r\n<b/>\r\n</a>\r\n"},
        {"<a>\n<b/>\n</a>\n", "<a><b/></a>\r\n"},
        {"a\r\r\nb\r\n", "a\r\n\r\nb\r\n"},  // CR before CR LF: an empty line
        {std::string("x\0\x01\x08\x0B\x0C\x0E\x1F\ty\r\n", 12), "x\ty\r\n"},
        {"\x7F\x80\xB3\xDE\xFF\r\n", "\x7F\x80\xB3\xDE\xFF\r\n"},
        {"\x01\x02\r\nz", "\r\nz\r\n"},  // a line of control characters stays, empty
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(cleanXmlFile(input), expected);
}

// The caret moves +1 for each comma turned into a point and -1 for a removed thousands point,
// the latter only when a comma was replaced and the caret is inside the new text.
TEST(NormalizeAmount, TextAndCaret) {
    const std::tuple<std::string, int, std::string, int> cases[] = {
        {"1.234,56", 8, "1234.56", 9},     {"1.234.567,8", 11, "1234567.8", 12},
        {"x,y.z", 5, "xy.z", 5},           {"..", 2, ".", 2},
        {"12 500,75", 9, "12 500.75", 10}, {"12,345", 2, "12345", 2},
        {"12,345", 6, "12345", 7},         {"1.5000", 6, "15000", 6},
        {"a,b,c", 0, "ab.c", 1},           {"1234.56", 1, "1234.56", 1},
    };
    for (const auto& [text, caretIn, expected, caretOut] : cases) {
        const auto result = normalizeAmount(text, caretIn);
        EXPECT_EQ(result.text + "|" + std::to_string(result.caret),
                  expected + "|" + std::to_string(caretOut))
            << text << " at " << caretIn;
    }
}

}  // namespace
}  // namespace kovrel::textconv
