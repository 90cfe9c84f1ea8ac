#include "infofile/declaration_header.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "infofile/info_file.h"
#include "platform/file_system.h"
#include "platform/messages.h"
#include "textconv/text_conv.h"

namespace kovrel::infofile {
namespace {

using textconv::decodeLatin5;
using textconv::escapeXml;
using textconv::mapTurkishChars;
using textconv::trimSpaces;

std::string mappedEscapedTrimmed(std::string_view raw) {
    return std::string(trimSpaces(escapeXml(mapTurkishChars(raw))));
}

std::string trimmed(std::string_view raw) {
    return decodeLatin5(trimSpaces(raw));
}

DeclarationKind kindOf(std::string_view upperType) {
    if (upperType == "GELIR-OZET")
        return DeclarationKind::BusinessSummary;
    if (upperType == "GELIR")
        return DeclarationKind::IncomeTax;
    if (upperType == "KURUMLAR")
        return DeclarationKind::CorporateTax;
    return DeclarationKind::Other;
}

bool isUtf8WithLetters(std::string_view text) {
    bool multibyte = false;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80                    ? 1
                                   : lead >= 0xC2 && lead <= 0xDF ? 2
                                   : lead >= 0xE0 && lead <= 0xEF ? 3
                                   : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                                  : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        }
        multibyte = multibyte || length > 1;
        i += length;
    }
    return multibyte;
}

// The encoding a header was saved in when it is not code page 857 text. Code page 857's Turkish
// letters and its field separator are bytes that UTF-8 only uses after a lead byte, so a header
// that reads as UTF-8 with letters beyond ASCII is UTF-8.
std::optional<messages::InfoEncoding> foreignEncoding(const std::vector<std::string>& lines) {
    const std::string_view first = lines.front();
    if (first.starts_with("\xEF\xBB\xBF"))
        return messages::InfoEncoding::Utf8WithMark;
    if (first.starts_with("\xFF\xFE") || first.starts_with("\xFE\xFF"))
        return messages::InfoEncoding::Utf16;
    std::string text;
    for (const auto& line : lines)
        text.append(line).append("\n");
    if (text.find('\0') != std::string::npos) {
        // Text in UTF-16 has a zero byte beside each ASCII letter: on every other byte.
        std::size_t zeros[2] = {0, 0};
        for (std::size_t i = 0; i < text.size(); ++i)
            zeros[i % 2] += text[i] == '\0';
        const bool utf16 = std::max(zeros[0], zeros[1]) * 5 >= text.size() * 2;
        return utf16 ? messages::InfoEncoding::Utf16 : messages::InfoEncoding::Binary;
    }
    if (isUtf8WithLetters(text))
        return messages::InfoEncoding::Utf8;
    return std::nullopt;
}

}  // namespace

std::string DeclarationHeader::type() const {
    return textconv::toUpperAscii(declarationType);
}

HeaderRead readDeclarationHeader(const std::string& infoFilePath) {
    const auto in = platform::openForReading(infoFilePath);
    LineReader reader(*in);
    std::vector<std::string> raw;
    while (raw.size() < kHeaderLines) {
        auto line = reader.next();
        if (!line)
            break;
        raw.push_back(std::move(*line));
    }
    if (in->bad())
        throw Error(messages::infoFileNotReadToEnd(infoFilePath));
    if (raw.empty())
        throw Error(messages::infoFileEmpty(infoFilePath));
    // A file in another encoding would only show as missing fields: say what it is instead.
    if (const auto encoding = foreignEncoding(raw))
        throw Error(messages::infoFileEncoding(infoFilePath, *encoding));
    if (raw.size() < kHeaderLines)
        throw Error(messages::infoFileTooShort(infoFilePath, raw.size(), kHeaderLines));

    std::array<InfoRecord, kHeaderLines> lines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        lines[i] = splitFields(raw[i]);
        const std::size_t needed = i == 0 ? 3 : 1;
        if (lines[i].size() < needed) {
            throw Error(messages::headerLineTooShort(infoFilePath, i + 1, lines[i].size(), needed));
        }
    }

    HeaderRead read;
    DeclarationHeader& h = read.header;
    h.taxOfficeCode = decodeLatin5(lines[0][0]);
    h.periodText = decodeLatin5(lines[0][1]);
    const std::string& type = lines[0][2];
    h.kind = kindOf(textconv::toUpperAscii(type));
    h.declarationType = h.usesBusinessSummary() ? "GELIR" : decodeLatin5(type);
    const std::string& period = lines[0][1];
    h.year = decodeLatin5(period.size() > 4 ? period.substr(period.size() - 4) : period);

    h.taxNo = decodeLatin5(lines[1][0]);
    h.folderTaxNo = h.taxNo;
    h.surname = mappedEscapedTrimmed(lines[2][0]);
    h.firstName = mappedEscapedTrimmed(lines[3][0]);
    h.identityNo = trimmed(lines[4][0]);
    h.tradeRegistryNo = trimmed(lines[5][0]);
    h.email = mappedEscapedTrimmed(lines[6][0]);
    h.areaCode = trimmed(lines[7][0]);
    h.phoneNo = trimmed(lines[8][0]);
    read.title = std::string(trimSpaces(mapTurkishChars(lines[9][0])));
    read.activity = trimmed(lines[10][0]);
    h.preparerTaxNo = trimmed(lines[11][0]);

    // The identity number names the folder when it is a full 11-character number.
    if (trimSpaces(lines[4][0]).size() == 11)
        h.folderTaxNo = h.identityNo;
    return read;
}

}  // namespace kovrel::infofile
