#include "infofile/declaration_header.h"

#include <gtest/gtest.h>

#include <sstream>

#include "infofile/info_file.h"
#include "support/test_support.h"
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
    EXPECT_EQ(
        (std::vector<std::string>{h.taxOfficeCode, h.periodText, h.year, h.declarationType, h.taxNo,
                                  h.surname, h.firstName, h.email, h.identityNo, h.folderTaxNo,
                                  h.tradeRegistryNo, h.areaCode, h.phoneNo, h.preparerTaxNo,
                                  result.title}),
        (std::vector<std::string>{"034250 ", " 01012025-31122025", "2025", "GELIR", " 1234567890",
                                  "ŞAHİN &amp; OĞUL", "Çiğdem&lt;&apos;&gt;",
                                  "ali&amp;veli@ornek.com", "12345678901", "12345678901", "4587&1",
                                  "312", "\t4567890", "9876543210", "Şahin Kırtasiye & Kitabevi"}));
    EXPECT_TRUE(h.usesBusinessSummary());
    // The activity is not mapped: its byte 0x87 is the ISO-8859-9 character U+0087.
    EXPECT_EQ(textconv::encodeLatin5(result.activity),
              "Kirtasiye ti\x87"
              "areti");
}

// Lines 2 to 12 need their one field, the last line too. (Headers too short otherwise are the
// converter's failure table.)
TEST(ReadDeclarationHeader, EmptyHeaderLineFailsWithItsNumber) {
    const test::TempFolder folder;
    for (const auto& [index, cause] : {std::pair{6, "7. satır: 0 alan var; 1 alan gerekiyor"},
                                       std::pair{11, "12. satır: 0 alan var; 1 alan gerekiyor"}}) {
        std::vector<std::string> lines = test::InfoHeader{}.lines();
        lines[static_cast<std::size_t>(index)].clear();
        test::writeBytes(folder.path() / "beyan.txt", test::infoFileText(lines));
        const std::string error =
            test::failureOf([&] { readDeclarationHeader((folder.path() / "beyan.txt").string()); });
        EXPECT_NE(error.find(cause), std::string::npos) << error;
    }
}

// A lone CR ends a line as CR LF does; a lone LF is part of the line.
TEST(LineReader, LineEndsAndLineNumbers) {
    const struct {
        const char* what;
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"empty input has no lines", "", {}},
        {"CR LF and lone CR", "a\r\nb\rc\r", {"a", "b", "c"}},
        {"lone LF stays in the line", "a\nb\r\nc\n", {"a\nb", "c\n"}},
        {"last line without line end", "a\r\nb", {"a", "b"}},
        {"CR then CR LF", "a\r\r\nb", {"a", "", "b"}},
        {"NUL is an ordinary byte", std::string("a\0b\r\n", 5), {std::string("a\0b", 3)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::istringstream in(c.bytes);
        LineReader reader(in);
        std::vector<std::string> lines;
        while (auto line = reader.next())
            lines.push_back(*line);
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(reader.lineNumber(), c.lines.size());
        EXPECT_TRUE(reader.atEnd());
    }
}

}  // namespace
}  // namespace kovrel::infofile
