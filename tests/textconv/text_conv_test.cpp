#include "textconv/text_conv.h"

#include <gtest/gtest.h>

#include <string>
#if __has_include(<iconv.h>)
#include <iconv.h>
#endif

namespace kovrel::textconv {
namespace {

std::string byteText(int byte) {
    return std::string(1, static_cast<char>(byte));
}

#if __has_include(<iconv.h>)
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

// Every byte against the C library's tables: code page 857's Turkish letters are mapped, 255
// (a non-breaking space there) is a space, printable ASCII stays, the rest goes; every byte
// read as ISO-8859-9 is its character there and encodes back to itself.
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
}
#endif

// A character that ISO-8859-9 cannot hold is kept as a character reference, not lost; so are
// the Latin-1 letters whose places the Turkish ones took.
TEST(Latin5, ReferencesForWhatItCannotHold) {
    EXPECT_EQ(encodeLatin5("a€b"), "a&#8364;b");
    EXPECT_EQ(encodeLatin5("Ðý"), "&#208;&#253;");
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
