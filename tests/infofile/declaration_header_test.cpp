#include "infofile/declaration_header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"
#include "textconv/text_conv.h"

namespace kovrel::infofile {
namespace {

using test::InfoHeader;

class ReadDeclarationHeader : public ::testing::Test {
  protected:
    std::string write(const std::string& bytes) {
        const auto file = folder_.path() / ("beyan" + std::to_string(++files_) + ".txt");
        test::writeBytes(file, bytes);
        return file.string();
    }

    DeclarationHeader read(const InfoHeader& header) {
        std::string error;
        const auto result = readDeclarationHeader(write(test::infoFileText(header, {})), error);
        EXPECT_TRUE(result.has_value()) << error;
        return result ? result->header : DeclarationHeader{};
    }

    test::TempFolder folder_;
    int files_ = 0;
};

// One file for every conversion of the header: lines 1 and 2 as read, surname, first name and
// e-mail mapped (tab dropped, 255 a space), escaped and trimmed, the others trimmed only, and
// only field 0 of lines 2 to 12 counts.
TEST_F(ReadDeclarationHeader, EveryConversionOfTheHeaderTable) {
    std::string error;
    const auto result =
        readDeclarationHeader(KOVREL_TEST_DATA "/infofile/header_all_conversions.txt", error);
    ASSERT_TRUE(result) << error;
    const DeclarationHeader& h = result->header;
    EXPECT_EQ(h.taxOfficeCode, "034250 ");
    EXPECT_EQ(h.periodText, " 01012025-31122025");
    EXPECT_EQ(h.year, "2025");
    EXPECT_EQ(h.declarationType, "GELIR");
    EXPECT_TRUE(h.usesBusinessSummary);
    EXPECT_EQ(h.taxNo, " 1234567890");
    EXPECT_EQ(h.surname, "ŞAHİN &amp; OĞUL");
    EXPECT_EQ(h.firstName, "Çiğdem&lt;&apos;&gt;");
    EXPECT_EQ(h.email, "ali&amp;veli@ornek.com");
    EXPECT_EQ(h.identityNo, "12345678901");
    EXPECT_EQ(h.folderTaxNo, "12345678901");
    EXPECT_EQ(h.tradeRegistryNo, "4587&1");
    EXPECT_EQ(h.areaCode, "312");
    EXPECT_EQ(h.phoneNo, "\t4567890");
    EXPECT_EQ(h.preparerTaxNo, "9876543210");
    // The title is mapped and trimmed, not escaped.
    EXPECT_EQ(result->title, "Şahin Kırtasiye & Kitabevi");
    // The activity is not mapped: its byte 0x87 is the ISO-8859-9 character U+0087.
    EXPECT_EQ(textconv::encodeLatin5(result->activity),
              "Kirtasiye ti\x87"
              "areti");
}

// GELIR-OZET in any case, but untrimmed, marks a business summary; the identity number names
// the folder when it is eleven single-byte characters.
TEST_F(ReadDeclarationHeader, TypeAndFolder) {
    const struct {
        std::string type, identityNo, declarationType;
        bool usesBusinessSummary;
        std::string upperType, folderTaxNo;
    } cases[] = {
        {"gelir-ozet", "  12345678901 ", "GELIR", true, "GELIR", "12345678901"},
        {"Gelir", "123456789012", "Gelir", false, "GELIR", "1234567890"},
        {"GELIR-OZET ", "1234567890\xFD", "GELIR-OZET ", false, "GELIR-OZET ", "1234567890ı"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        InfoHeader header;
        header.type = c.type;
        header.identityNo = c.identityNo;
        const auto h = read(header);
        EXPECT_EQ(h.declarationType, c.declarationType);
        EXPECT_EQ(h.usesBusinessSummary, c.usesBusinessSummary);
        EXPECT_EQ(h.type(), c.upperType);
        EXPECT_EQ(h.folderTaxNo, c.folderTaxNo);
        EXPECT_EQ(h.taxNo, "1234567890");
    }
}

TEST_F(ReadDeclarationHeader, ShortOrMissingHeaderFailsWithItsCause) {
    const std::vector<std::string> full = InfoHeader{}.lines();
    const auto firstLines = [&](std::size_t count) {
        return test::infoFileText(std::vector<std::string>(full.begin(), full.begin() + count));
    };
    const auto replaced = [&](std::size_t lineIndex, const std::string& line) {
        std::vector<std::string> lines = full;
        lines[lineIndex] = line;
        return test::infoFileText(lines);
    };
    const struct {
        const char* what;
        std::string path;
        std::string cause;
    } cases[] = {
        {"empty file", write(""), "12"},
        {"eleven lines", write(firstLines(11)), "12"},
        {"eleven lines and an empty twelfth", write(firstLines(11) + "\r\n"), "line 12"},
        {"line 1 with two fields", write(replaced(0, test::record({"034260", "2023"}))), "line 1"},
        {"line 7 empty", write(replaced(6, "")), "line 7"},
        {"no such file", (folder_.path() / "none.txt").string(), "none.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string error;
        EXPECT_FALSE(readDeclarationHeader(c.path, error));
        EXPECT_NE(error.find(c.cause), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace kovrel::infofile
