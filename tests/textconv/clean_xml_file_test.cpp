#include <gtest/gtest.h>

#include <string>

#include "conversion/skeleton.h"
#include "platform/xml_document.h"
#include "support/test_support.h"
#include "textconv/text_conv.h"

namespace kovrel::textconv {
namespace {

TEST(CleanXmlFile, LineEndsAndControlCharacters) {
    const struct {
        const char* what;
        std::string input;
        std::string expected;
    } cases[] = {
        {"empty file", "", ""},
        {"CR LF lines stay as they are", "<a>\r\n\t<b/>\r\n</a>\r\n", "<a>\r\n\t<b/>\r\n</a>\r\n"},
        {"last line gets its line end", "<a>\r\n</a>", "<a>\r\n</a>\r\n"},
        {"lone CR ends a line", "<a>\r<b/>\r</a>", "<a>\r\n<b/>\r\n</a>\r\n"},
        {"LF-only file becomes one line", "<a>\n<b/>\n</a>\n", "<a><b/></a>\r\n"},
        {"CR before CR LF gives an empty line", "a\r\r\nb\r\n", "a\r\n\r\nb\r\n"},
        {"empty lines are kept", "\r\n\r\n", "\r\n\r\n"},
        {"NUL and form feed go, tab stays", std::string("a\0b\fc\td\r\n", 9), "abc\td\r\n"},
        {"every control code but tab goes",
         std::string("x\x01\x02\x03\x04\x05\x06\x07\x08\x0B\x0C\x0E\x0F\x10\x11\x12\x13\x14\x15"
                     "\x16\x17\x18\x19\x1A\x1B\x1C\x1D\x1E\x1Fy\r\n"),
         "xy\r\n"},
        {"bytes 127 to 255 pass", "\x7F\x80\xB3\xDE\xFF\r\n", "\x7F\x80\xB3\xDE\xFF\r\n"},
        {"a line of only control characters stays as an empty line", "\x01\x02\r\nz", "\r\nz\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(cleanXmlFile(c.input), c.expected);
    }
}

TEST(CleanXmlFile, LongLinesAndManyLinesHaveNoSixteenBitLimit) {
    const std::string longLine(100000, 'x');
    EXPECT_EQ(cleanXmlFile(longLine + "\x01"), longLine + "\r\n");

    std::string manyLines;
    for (int i = 0; i < 40000; ++i)
        manyLines += "<r/>\r\n";
    EXPECT_EQ(cleanXmlFile(manyLines), manyLines);
}

// The run cleans every file before loading it; what the program saved must come through
// unchanged, or every second run would rewrite the file.
TEST(CleanXmlFile, ASavedDeclarationPassesUnchanged) {
    std::string parseError;
    const auto document = platform::xml::Document::parse(
        test::readBytes(KOVREL_TEST_DATA "/textconv/declaration_lf.xml"), &parseError);
    ASSERT_FALSE(document.empty()) << parseError;
    const std::string saved = document.serialize();
    ASSERT_NE(saved.find("\r\n"), std::string::npos);
    ASSERT_NE(saved.find("\xDE"
                         "AH\xDDN &amp; O\xD0UL"),
              std::string::npos);
    EXPECT_EQ(cleanXmlFile(saved), saved);
}

TEST(CleanXmlFile, ANewSkeletonPassesUnchanged) {
    infofile::DeclarationHeader header;
    header.taxOfficeCode = "034250";
    header.periodText = "2026";
    header.year = "2026";
    header.taxNo = "1234567890";
    header.folderTaxNo = header.taxNo;
    header.surname = "ŞAHİN &amp; OĞUL";
    header.firstName = "Çiğdem";
    header.preparerTaxNo = "9876543210";
    for (const char* type : {"GELIR", "KURUMLAR", "XYZ"}) {
        SCOPED_TRACE(type);
        header.declarationType = type;
        for (const bool summary : {false, true}) {
            header.usesBusinessSummary = summary;
            const std::string skeleton = conversion::writeDeclarationSkeleton(header);
            EXPECT_EQ(cleanXmlFile(skeleton), skeleton);
        }
    }
}

}  // namespace
}  // namespace kovrel::textconv
