#include "textconv/text_conv.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace kovrel::textconv {
namespace {

// The code page 857 letters that the mapping knows, with their letter (UTF-8) and the byte
// that ISO-8859-9 gives that letter.
struct TurkishLetter {
    unsigned char cp857;
    const char* letter;
    unsigned char latin5;
};

constexpr TurkishLetter kTurkishLetters[] = {
    {0x80, "Ç", 0xC7}, {0x81, "ü", 0xFC}, {0x87, "ç", 0xE7}, {0x8D, "ı", 0xFD},
    {0x94, "ö", 0xF6}, {0x98, "İ", 0xDD}, {0x99, "Ö", 0xD6}, {0x9A, "Ü", 0xDC},
    {0x9E, "Ş", 0xDE}, {0x9F, "ş", 0xFE}, {0xA6, "Ğ", 0xD0}, {0xA7, "ğ", 0xF0},
};

std::string byteText(unsigned char byte) {
    return std::string(1, static_cast<char>(byte));
}

TEST(MapTurkishChars, MapsEachCodePage857LetterToItsLetter) {
    for (const auto& entry : kTurkishLetters) {
        SCOPED_TRACE(static_cast<int>(entry.cp857));
        EXPECT_EQ(mapTurkishChars(byteText(entry.cp857)), entry.letter);
    }
}

TEST(MapTurkishChars, MappedLettersTakeTheirLatin5ByteInTheSavedFile) {
    for (const auto& entry : kTurkishLetters) {
        SCOPED_TRACE(entry.letter);
        EXPECT_EQ(encodeLatin5(mapTurkishChars(byteText(entry.cp857))), byteText(entry.latin5));
    }
}

// Every byte value against the table: the thirteen listed codes first, then the printable
// range, everything else removed.
TEST(MapTurkishChars, EveryByteValueFollowsTheTable) {
    std::map<int, std::string> listed;
    for (const auto& entry : kTurkishLetters)
        listed[entry.cp857] = entry.letter;
    listed[0xFF] = " ";
    for (int byte = 0; byte < 256; ++byte) {
        SCOPED_TRACE(byte);
        std::string expected;
        if (listed.count(byte)) {
            expected = listed[byte];
        } else if (byte >= 32 && byte <= 126) {
            expected = byteText(static_cast<unsigned char>(byte));
        }
        EXPECT_EQ(mapTurkishChars(byteText(static_cast<unsigned char>(byte))), expected);
    }
}

TEST(MapTurkishChars, Texts) {
    const struct {
        std::string input;
        std::string expected;
    } cases[] = {
        {"\x87\x9F\x8D\xA7\x81\x94", "çşığüö"},
        {"\x80\x9E\x98\xA6\x9A\x99", "ÇŞİĞÜÖ"},
        {"", ""},
        {"a\tb\rc\xE9"
         "d",
         "abcd"},
        {"A\xFF"
         "B",
         "A B"},
        {"\x82\x83x", "x"},  // other accented letters of code page 857 are dropped
        {"\x9E"
         "AH\x98N & Co <1>",
         "ŞAHİN & Co <1>"},  // no escaping here
        {std::string("a\0b", 3), "ab"},
        {"\x7F~ ", "~ "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(mapTurkishChars(c.input), c.expected);
    }
}

TEST(EscapeXml, Texts) {
    const struct {
        std::string input;
        std::string expected;
    } cases[] = {
        {"a<b", "a&lt;b"},
        {"'", "&apos;"},
        {"&", "&amp;"},
        {">", "&gt;"},
        {"\"", "&quot;"},
        {"&amp;", "&amp;amp;"},
        {"<&>\"'", "&lt;&amp;&gt;&quot;&apos;"},
        {"ŞAHİN çığ", "ŞAHİN çığ"},
        {"", ""},
        {"a\tb\r\n", "a\tb\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(escapeXml(c.input), c.expected);
    }
}

TEST(TrimSpaces, RemovesOnlyTheSpaceCharacterAtBothEnds) {
    const struct {
        std::string input;
        std::string expected;
    } cases[] = {
        {"  a b  ", "a b"},
        {"a", "a"},
        {"", ""},
        {"    ", ""},
        {"\ta \t", "\ta \t"},
        {" \ta\t ", "\ta\t"},
        {" x\r\n", "x\r\n"},
        {"\xFF"
         "a ",
         "\xFF"
         "a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(trimSpaces(c.input), c.expected);
    }
}

TEST(Latin5, DecodesTheSixTurkishPositionsAndTheLatin1Rest) {
    const struct {
        std::string bytes;
        std::string utf8;
    } cases[] = {
        {"\xD0\xDD\xDE\xF0\xFD\xFE", "ĞİŞğış"},
        {"\xC7\xD6\xDC\xE7\xF6\xFC", "ÇÖÜçöü"},
        {"\xE9\xA9", "é©"},
        {"abc 123", "abc 123"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(decodeLatin5(c.bytes), c.utf8);
        EXPECT_EQ(encodeLatin5(c.utf8), c.bytes);
    }
}

TEST(Latin5, EveryByteSurvivesDecodeAndEncode) {
    for (int byte = 0; byte < 256; ++byte) {
        SCOPED_TRACE(byte);
        const std::string text = byteText(static_cast<unsigned char>(byte));
        EXPECT_EQ(encodeLatin5(decodeLatin5(text)), text);
    }
}

// A character that ISO-8859-9 cannot hold is kept as a character reference, not lost.
TEST(Latin5, CharacterOutsideLatin5BecomesACharacterReference) {
    const struct {
        std::string utf8;
        std::string bytes;
    } cases[] = {
        {"€", "&#8364;"},     {"Ð", "&#208;"},  // U+00D0: ISO-8859-9 has Ğ at 0xD0
        {"ý", "&#253;"},                        // U+00FD: ISO-8859-9 has ı at 0xFD
        {"a€b", "a&#8364;b"}, {"Ş😀", "\xDE&#128512;"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(encodeLatin5(c.utf8), c.bytes);
    }
}

TEST(ToUpperAscii, UpperCasesAsciiLettersOnly) {
    EXPECT_EQ(toUpperAscii("gelir-ozet"), "GELIR-OZET");
    EXPECT_EQ(toUpperAscii("Kurumlar"), "KURUMLAR");
    EXPECT_EQ(toUpperAscii("iı"), "Iı");
}

// The 32 766 bounds of the old program were an overflow, not a rule.
TEST(TextOperations, LongTextsHaveNoSixteenBitLimit) {
    constexpr std::size_t kLength = 100000;
    const std::string cp857(kLength, '\x9F');
    std::string letters;
    for (std::size_t i = 0; i < kLength; ++i)
        letters += "ş";
    EXPECT_EQ(mapTurkishChars(cp857), letters);

    const std::string ampersands(kLength, '&');
    const std::string escaped = escapeXml(ampersands);
    EXPECT_EQ(escaped.size(), 5 * kLength);
    EXPECT_EQ(escaped.substr(escaped.size() - 5), "&amp;");

    const std::string padded = "  " + std::string(kLength, 'x') + "  ";
    EXPECT_EQ(trimSpaces(padded).size(), kLength);

    EXPECT_EQ(encodeLatin5(letters), std::string(kLength, '\xFE'));
}

}  // namespace
}  // namespace kovrel::textconv
