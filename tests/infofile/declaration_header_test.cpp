#include "infofile/declaration_header.h"

#include <gtest/gtest.h>

#include <sstream>

#include "infofile/info_file.h"
#include "textconv/text_conv.h"

namespace kovrel::infofile {
namespace {

// One file for every conversion of the header: lines 1 and 2 as read, surname, first name and
// e-mail mapped (tab dropped, 255 a space), escaped and trimmed, the title mapped and trimmed,
// the others trimmed only, and only field 0 of lines 2 to 12 counts.
TEST(ReadDeclarationHeader, EveryConversionOfTheHeaderTable) {
    const auto result =
        readDeclarationHeader(KOVREL_TEST_DATA "/infofile/header_all_conversions.txt");
    const DeclarationHeader& h = result.header;
    using Texts = std::vector<std::string>;
    EXPECT_EQ(
        (Texts{h.taxOfficeCode, h.periodText, h.year, h.declarationType, h.taxNo, h.surname,
               h.firstName, h.email, h.identityNo, h.folderTaxNo, h.tradeRegistryNo, h.areaCode,
               h.phoneNo, h.preparerTaxNo, result.title}),
        (Texts{"034250 ", " 01012025-31122025", "2025", "GELIR", " 1234567890", "ŞAHİN &amp; OĞUL",
               "Çiğdem&lt;&apos;&gt;", "ali&amp;veli@ornek.com", "12345678901", "12345678901",
               "4587&1", "312", "\t4567890", "9876543210", "Şahin Kırtasiye & Kitabevi"}));
    EXPECT_TRUE(h.usesBusinessSummary());
    // The activity is not mapped: its byte 0x87 is the ISO-8859-9 character U+0087.
    EXPECT_EQ(textconv::encodeLatin5(result.activity), std::string("Kirtasiye ti\x87") + "areti");
}

// A lone CR ends a line as CR LF does; a lone LF and a NUL are part of the line.
TEST(LineReader, LineEndsAndLineNumbers) {
    using Lines = std::vector<std::string>;
    const std::pair<std::string, Lines> cases[] = {
        {"", {}},
        {"a\r\nb\rc\r", {"a", "b", "c"}},
        {"a\nb\r\nc\n", {"a\nb", "c\n"}},
        {"a\r\nb", {"a", "b"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {std::string("a\0b\r\n", 5), {std::string("a\0b", 3)}},
    };
    for (const auto& [bytes, expected] : cases) {
        std::istringstream in(bytes);
        LineReader reader(in);
        Lines lines;
        while (auto line = reader.next())
            lines.push_back(*line);
        EXPECT_EQ(lines, expected);
        EXPECT_EQ(reader.lineNumber(), expected.size());
        EXPECT_TRUE(reader.atEnd());
    }
}

}  // namespace
}  // namespace kovrel::infofile
