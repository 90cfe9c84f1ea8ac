#include "infofile/declaration_header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(ReadDeclarationHeader, ShortHeaderFailsWithItsCause) {
    const test::TempFolder folder;
    const std::vector<std::string> full = test::InfoHeader{}.lines();
    const auto replaced = [&](std::size_t lineIndex, const std::string& line) {
        std::vector<std::string> lines = full;
        lines[lineIndex] = line;
        return test::infoFileText(lines);
    };
    const auto firstEleven = test::infoFileText({full.begin(), full.begin() + 11});
    const struct {
        std::string bytes, cause;
    } cases[] = {
        {firstEleven, "11 satır; başlığı için en az 12 satır"},
        {firstEleven + "\r\n", "12. satır: 0 alan var; 1 alan gerekiyor"},
        {replaced(0, test::record({"034260", "2023"})), "1. satır: 2 alan var; 3 alan"},
        {replaced(6, ""), "7. satır"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cause);
        test::writeBytes(folder.path() / "beyan.txt", c.bytes);
        const std::string error =
            test::failureOf([&] { readDeclarationHeader((folder.path() / "beyan.txt").string()); });
        EXPECT_NE(error.find(c.cause), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace kovrel::infofile
