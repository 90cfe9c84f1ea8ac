#include "infofile/declaration_header.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"
#include "textconv/text_conv.h"

namespace kovrel::infofile {
namespace {

using test::InfoHeader;
using ::testing::HasSubstr;

class ReadDeclarationHeader : public ::testing::Test {
  protected:
    std::string write(const std::string& bytes) {
        const auto file = folder_.path() / ("beyan" + std::to_string(++files_) + ".txt");
        test::writeBytes(file, bytes);
        return file.string();
    }

    HeaderRead read(const std::string& bytes) {
        std::string error;
        auto result = readDeclarationHeader(write(bytes), error);
        EXPECT_TRUE(result.has_value()) << error;
        return result.value_or(HeaderRead{});
    }

    HeaderRead read(const InfoHeader& header) { return read(test::infoFileText(header, {})); }

    test::TempFolder folder_;
    int files_ = 0;
};

// One file that exercises every conversion of the header table (tests/data/infofile).
TEST_F(ReadDeclarationHeader, EveryConversionOfTheHeaderTable) {
    std::string error;
    const auto result =
        readDeclarationHeader(KOVREL_TEST_DATA "/infofile/header_all_conversions.txt", error);
    ASSERT_TRUE(result) << error;
    const DeclarationHeader& h = result->header;
    // Line 1 and 2 are taken as read, spaces included.
    EXPECT_EQ(h.taxOfficeCode, "034250 ");
    EXPECT_EQ(h.periodText, " 01012025-31122025");
    EXPECT_EQ(h.year, "2025");
    EXPECT_EQ(h.declarationType, "GELIR");
    EXPECT_TRUE(h.usesBusinessSummary);
    EXPECT_EQ(h.taxNo, " 1234567890");
    // Mapped (tab dropped, 0xFF a space), escaped, then trimmed.
    EXPECT_EQ(h.surname, "ŞAHİN &amp; OĞUL");
    EXPECT_EQ(h.firstName, "Çiğdem&lt;&apos;&gt;");
    EXPECT_EQ(h.email, "ali&amp;veli@ornek.com");
    // Trimmed only: no escaping, tabs stay.
    EXPECT_EQ(h.identityNo, "12345678901");
    EXPECT_EQ(h.folderTaxNo, "12345678901");
    EXPECT_EQ(h.tradeRegistryNo, "4587&1");
    EXPECT_EQ(h.areaCode, "312");
    EXPECT_EQ(h.phoneNo, "\t4567890");
    EXPECT_EQ(h.preparerTaxNo, "9876543210");
    // The title is mapped and trimmed, not escaped.
    EXPECT_EQ(result->title, "Şahin Kırtasiye & Kitabevi");
    // The activity is not mapped: its byte 0x87 is kept as the ISO-8859-9 character U+0087.
    EXPECT_EQ(result->activity, "Kirtasiye ti\u0087areti");
    EXPECT_EQ(textconv::encodeLatin5(result->activity),
              "Kirtasiye ti\x87"
              "areti");
}

TEST_F(ReadDeclarationHeader, GelirOzetRule) {
    const struct {
        std::string written;
        std::string declarationType;
        bool usesBusinessSummary;
        std::string type;
    } cases[] = {
        {"GELIR-OZET", "GELIR", true, "GELIR"},
        {"gelir-ozet", "GELIR", true, "GELIR"},
        {"Gelir-Ozet", "GELIR", true, "GELIR"},
        {"GELIR", "GELIR", false, "GELIR"},
        {"Gelir", "Gelir", false, "GELIR"},
        {"KURUMLAR", "KURUMLAR", false, "KURUMLAR"},
        {"kurumlar", "kurumlar", false, "KURUMLAR"},
        {"GELIR-OZET ", "GELIR-OZET ", false, "GELIR-OZET "},  // line 1 is not trimmed
        {"XYZ", "XYZ", false, "XYZ"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        InfoHeader header;
        header.type = c.written;
        const auto h = read(header).header;
        EXPECT_EQ(h.declarationType, c.declarationType);
        EXPECT_EQ(h.usesBusinessSummary, c.usesBusinessSummary);
        EXPECT_EQ(h.type(), c.type);
    }
}

TEST_F(ReadDeclarationHeader, YearIsTheLastFourCharactersOfThePeriod) {
    const struct {
        std::string period;
        std::string year;
    } cases[] = {
        {"2025", "2025"},  {"01.01.2025-31.12.2025", "2025"}, {"025", "025"}, {"", ""},
        {"2025 ", "025 "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.period);
        InfoHeader header;
        header.periodText = c.period;
        const auto h = read(header).header;
        EXPECT_EQ(h.periodText, c.period);
        EXPECT_EQ(h.year, c.year);
    }
}

TEST_F(ReadDeclarationHeader, IdentityNumberNamesTheFolderWhenItHasElevenCharacters) {
    const struct {
        std::string identityLine;
        std::string identityNo;
        std::string folderTaxNo;
    } cases[] = {
        {"12345678901", "12345678901", "12345678901"},
        {"  12345678901 ", "12345678901", "12345678901"},
        {"1234567890", "1234567890", "1234567890"},
        {"123456789012", "123456789012", "1234567890"},
        {"", "", "1234567890"},
        // Eleven single-byte characters, even if the last one takes two bytes in UTF-8.
        {"1234567890\xFD", "1234567890ı", "1234567890ı"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.identityLine);
        InfoHeader header;
        header.taxNo = "1234567890";
        header.identityNo = c.identityLine;
        const auto h = read(header).header;
        EXPECT_EQ(h.identityNo, c.identityNo);
        EXPECT_EQ(h.folderTaxNo, c.folderTaxNo);
        EXPECT_EQ(h.taxNo, "1234567890");
    }
}

TEST_F(ReadDeclarationHeader, OnlyFieldZeroOfLinesTwoToTwelveCounts) {
    InfoHeader header;
    header.taxNo = test::record({"1111111111", "2222222222"});
    header.surname = test::record({"", "SOYAD"});
    header.title = test::record({"UNVAN", "BASKA"});
    header.preparerTaxNo = test::record({"", "9876543210"});
    const auto result = read(header);
    EXPECT_EQ(result.header.taxNo, "1111111111");
    EXPECT_EQ(result.header.surname, "");
    EXPECT_EQ(result.title, "UNVAN");
    EXPECT_EQ(result.header.preparerTaxNo, "");
}

TEST_F(ReadDeclarationHeader, LineEndsOfTheHeader) {
    std::vector<std::string> lines = InfoHeader{}.lines();
    lines[3] = "AH\nMET";       // first name: the lone LF stays in the line, the mapping drops it
    lines[10] = "TOPTAN\nTIC";  // activity: not mapped, the LF stays
    std::string loneCr;
    for (const auto& line : lines)
        loneCr += line + "\r";
    std::string noLastEnd = test::infoFileText(lines);
    noLastEnd.resize(noLastEnd.size() - 2);

    for (const std::string& bytes : {loneCr, noLastEnd}) {
        const auto result = read(bytes);
        EXPECT_EQ(result.header.firstName, "AHMET");
        EXPECT_EQ(result.activity, "TOPTAN\nTIC");
        EXPECT_EQ(result.header.preparerTaxNo, "9876543210");
        EXPECT_EQ(result.header.taxOfficeCode, "034260");
    }
}

TEST_F(ReadDeclarationHeader, ShortOrEmptyHeaderFailsWithItsCause) {
    const std::vector<std::string> full = InfoHeader{}.lines();
    const auto without = [&](std::size_t lineIndex, const std::string& replacement) {
        std::vector<std::string> lines = full;
        lines[lineIndex] = replacement;
        return test::infoFileText(lines);
    };
    const auto firstLines = [&](std::size_t count) {
        return test::infoFileText(std::vector<std::string>(full.begin(), full.begin() + count));
    };
    const struct {
        const char* what;
        std::string bytes;
        std::string cause;
    } cases[] = {
        {"empty file", "", "12"},
        {"one line", firstLines(1), "12"},
        {"eleven lines", firstLines(11), "12"},
        {"eleven lines and an empty twelfth", firstLines(11) + "\r\n", "line 12"},
        {"line 1 with two fields", without(0, test::record({"034260", "2023"})), "line 1"},
        {"line 1 empty", without(0, ""), "line 1"},
        {"line 2 empty", without(1, ""), "line 2"},
        {"line 7 empty", without(6, ""), "line 7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string error;
        EXPECT_FALSE(readDeclarationHeader(write(c.bytes), error));
        EXPECT_THAT(error, HasSubstr(c.cause));
    }
}

TEST_F(ReadDeclarationHeader, MissingFileFailsWithItsCause) {
    std::string error;
    EXPECT_FALSE(readDeclarationHeader((folder_.path() / "none.txt").string(), error));
    EXPECT_FALSE(error.empty());
}

TEST_F(ReadDeclarationHeader, LongHeaderValuesHaveNoSixteenBitLimit) {
    InfoHeader header;
    header.title = std::string(100000, '\x9E');
    header.activity = std::string(100000, 'a');
    std::string expectedTitle;
    for (int i = 0; i < 100000; ++i)
        expectedTitle += "Ş";
    const auto result = read(header);
    EXPECT_EQ(result.title, expectedTitle);
    EXPECT_EQ(result.activity.size(), 100000u);
}

#ifndef _WIN32
// The reader is given a pipe whose writer sends the header and then keeps it open. A reader
// that wanted more than the 12 lines would wait until the writer gives up.
TEST_F(ReadDeclarationHeader, ReadsNothingBeyondTheHeader) {
    const auto pipe = folder_.path() / "beyan.txt";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::atomic<bool> readerDone{false};
    std::atomic<bool> writerClosed{false};
    std::thread writer([&] {
        std::ofstream out(pipe, std::ios::binary);
        out << test::infoFileText(InfoHeader{}, {"1\xB3"
                                                 "100\xB3"
                                                 "5,00"});
        out.flush();
        for (int i = 0; i < 300 && !readerDone; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        writerClosed = true;
    });
    std::string error;
    const auto result = readDeclarationHeader(pipe.string(), error);
    const bool returnedWhileOpen = !writerClosed;
    readerDone = true;
    writer.join();
    ASSERT_TRUE(result) << error;
    EXPECT_TRUE(returnedWhileOpen);
    EXPECT_EQ(result->header.preparerTaxNo, "9876543210");
}
#endif

}  // namespace
}  // namespace kovrel::infofile
