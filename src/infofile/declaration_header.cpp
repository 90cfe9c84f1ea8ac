#include "infofile/declaration_header.h"

#include <array>

#include "infofile/info_file.h"
#include "platform/file_system.h"
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

}  // namespace

std::string DeclarationHeader::type() const {
    return textconv::toUpperAscii(declarationType);
}

HeaderRead readDeclarationHeader(const std::string& infoFilePath) {
    const auto in = platform::openForReading(infoFilePath);

    LineReader reader(*in);
    std::array<InfoRecord, kHeaderLines> lines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto line = reader.next();
        if (!line) {
            throw Error("the info file has " + std::to_string(i) + " lines; its header needs " +
                        std::to_string(kHeaderLines));
        }
        lines[i] = splitFields(*line);
        const std::size_t needed = i == 0 ? 3 : 1;
        if (lines[i].size() < needed) {
            throw Error("header line " + std::to_string(i + 1) + " has " +
                        std::to_string(lines[i].size()) + " fields; it needs " +
                        std::to_string(needed));
        }
    }
    if (in->bad())
        throw Error("the info file could not be read");

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
