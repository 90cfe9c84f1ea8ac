#include "textconv/text_conv.h"

#include <array>
#include <cstdint>
#include <utility>

namespace kovrel::textconv {
namespace {

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// ISO-8859-9 differs from ISO-8859-1 in six positions only.
constexpr std::pair<unsigned char, char32_t> kLatin5Letters[] = {
    {0xD0, 0x011E},  // Ğ
    {0xDD, 0x0130},  // İ
    {0xDE, 0x015E},  // Ş
    {0xF0, 0x011F},  // ğ
    {0xFD, 0x0131},  // ı
    {0xFE, 0x015F},  // ş
};

char32_t latin5ToUnicode(unsigned char byte) {
    for (const auto& [latin5, unicode] : kLatin5Letters) {
        if (latin5 == byte)
            return unicode;
    }
    return byte;
}

// The byte ISO-8859-9 has for cp, or -1.
int unicodeToLatin5(char32_t cp) {
    for (const auto& [latin5, unicode] : kLatin5Letters) {
        if (unicode == cp)
            return latin5;
        if (latin5 == cp)  // the Latin-1 letter that the Turkish one displaced
            return -1;
    }
    return cp < 0x100 ? static_cast<int>(cp) : -1;
}

// Decodes one UTF-8 sequence at text[i]; malformed bytes decode as U+FFFD, one byte each.
char32_t nextCodePoint(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80           ? 1
                               : (lead >> 5) == 0x6  ? 2
                               : (lead >> 4) == 0xE  ? 3
                               : (lead >> 3) == 0x1E ? 4
                                                     : 0;
    if (length == 0 || i + length > text.size()) {
        ++i;
        return 0xFFFD;
    }
    char32_t cp = length == 1 ? lead : lead & (0x7Fu >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto cont = static_cast<unsigned char>(text[i + k]);
        if ((cont & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (cont & 0x3F);
    }
    i += length;
    return cp;
}

}  // namespace

std::string mapTurkishChars(std::string_view singleByteText) {
    std::string out;
    out.reserve(singleByteText.size());
    for (const char c : singleByteText) {
        const auto byte = static_cast<unsigned char>(c);
        char32_t mapped = 0;
        switch (byte) {
            case 0x80:
                mapped = U'Ç';
                break;
            case 0x81:
                mapped = U'ü';
                break;
            case 0x87:
                mapped = U'ç';
                break;
            case 0x8D:
                mapped = U'ı';
                break;
            case 0x94:
                mapped = U'ö';
                break;
            case 0x98:
                mapped = U'İ';
                break;
            case 0x99:
                mapped = U'Ö';
                break;
            case 0x9A:
                mapped = U'Ü';
                break;
            case 0x9E:
                mapped = U'Ş';
                break;
            case 0x9F:
                mapped = U'ş';
                break;
            case 0xA6:
                mapped = U'Ğ';
                break;
            case 0xA7:
                mapped = U'ğ';
                break;
            case 0xFF:
                mapped = U' ';
                break;
            default:
                if (byte >= 32 && byte <= 126)
                    mapped = byte;
        }
        if (mapped != 0)
            appendUtf8(out, mapped);
    }
    return out;
}

std::string escapeXml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string cleanXmlFile(std::string_view content) {
    const auto kept = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte == 9 || byte >= 32;
    };
    std::string out;
    out.reserve(content.size() + 2);
    const char* p = content.data();
    const char* const end = p + content.size();
    while (p < end) {
        // One line: up to CR LF or a lone CR; a lone LF is an ordinary (dropped) character.
        // Kept bytes are copied a run at a time: declarations are large.
        while (p < end && *p != '\r') {
            const char* run = p;
            while (p < end && kept(*p))
                ++p;
            out.append(run, static_cast<std::size_t>(p - run));
            while (p < end && *p != '\r' && !kept(*p))
                ++p;
        }
        if (p < end) {  // at CR
            ++p;
            if (p < end && *p == '\n')
                ++p;
        }
        out += "\r\n";
    }
    return out;
}

std::string_view trimSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string decodeLatin5(std::string_view singleByteText) {
    std::string out;
    out.reserve(singleByteText.size());
    for (const char c : singleByteText)
        appendUtf8(out, latin5ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::string encodeLatin5(std::string_view utf8Text) {
    std::string out;
    out.reserve(utf8Text.size());
    for (std::size_t i = 0; i < utf8Text.size();) {
        const char32_t cp = nextCodePoint(utf8Text, i);
        const int byte = unicodeToLatin5(cp);
        if (byte >= 0) {
            out += static_cast<char>(byte);
        } else {
            out += "&#" + std::to_string(static_cast<std::uint32_t>(cp)) + ';';
        }
    }
    return out;
}

std::string toUpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

}  // namespace kovrel::textconv
