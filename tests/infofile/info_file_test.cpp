#include "infofile/info_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace kovrel::infofile {
namespace {

TEST(SplitFields, SplitsAtEveryByte179) {
    const struct {
        const char* what;
        std::string line;
        InfoRecord fields;
    } cases[] = {
        {"empty line has no fields", "", {}},
        {"no separator: one field", "GELIR", {"GELIR"}},
        {"a space is a field", " ", {" "}},
        {"three fields",
         "1\xB3"
         "100\xB3"
         "12.500,75",
         {"1", "100", "12.500,75"}},
        {"adjacent separators", "1\xB3\xB3x", {"1", "", "x"}},
        {"leading separator",
         "\xB3"
         "1",
         {"", "1"}},
        {"trailing separator", "1\xB3", {"1", ""}},
        {"only a separator", "\xB3", {"", ""}},
        {"spaces stay", " 60 \xB3  a  ", {" 60 ", "  a  "}},
        {"other high bytes are no separators", "\x9E\xB2\xB4\xDA", {"\x9E\xB2\xB4\xDA"}},
        {"tab and LF are no separators", "a\tb\nc", {"a\tb\nc"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(splitFields(c.line), c.fields);
    }
}

TEST(SplitFields, NoLimitOnFieldsOrLength) {
    std::string line = "4";
    for (int i = 0; i < 70000; ++i)
        line +=
            "\xB3"
            "x";
    const auto fields = splitFields(line);
    ASSERT_EQ(fields.size(), 70001u);
    EXPECT_EQ(fields.back(), "x");

    const std::string longField(100000, 'y');
    EXPECT_EQ(splitFields("1\xB3" + longField), (InfoRecord{"1", longField}));
}

std::vector<std::string> readAllLines(const std::string& bytes) {
    std::istringstream in(bytes);
    LineReader reader(in);
    std::vector<std::string> lines;
    while (auto line = reader.next())
        lines.push_back(*line);
    return lines;
}

TEST(LineReader, LineEnds) {
    const struct {
        const char* what;
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"empty input has no lines", "", {}},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"lone CR", "a\rb\r", {"a", "b"}},
        {"lone LF stays in the line", "a\nb\r\nc\n", {"a\nb", "c\n"}},
        {"only LF: one line", "a\nb\nc", {"a\nb\nc"}},
        {"last line without line end", "a\r\nb", {"a", "b"}},
        {"empty lines", "\r\n\r\n", {"", ""}},
        {"CR then CR LF", "a\r\r\nb", {"a", "", "b"}},
        {"LF CR is LF in line then CR", "\n\r", {"\n"}},
        {"mixed ends", "1\r2\r\n3\r\r\n", {"1", "2", "3", ""}},
        {"NUL is an ordinary byte", std::string("a\0b\r\n", 5), {std::string("a\0b", 3)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(readAllLines(c.bytes), c.lines);
    }
}

TEST(LineReader, CountsLinesAndSeesTheEnd) {
    std::istringstream in("a\r\nb\rc");
    LineReader reader(in);
    EXPECT_FALSE(reader.atEnd());
    EXPECT_EQ(reader.lineNumber(), 0u);
    reader.next();
    reader.next();
    EXPECT_EQ(reader.lineNumber(), 2u);
    EXPECT_FALSE(reader.atEnd());
    EXPECT_EQ(reader.next(), "c");
    EXPECT_TRUE(reader.atEnd());
    EXPECT_EQ(reader.next(), std::nullopt);
    EXPECT_EQ(reader.lineNumber(), 3u);
}

TEST(LineReader, LongLinesAndManyLines) {
    const std::string longLine(100000, '\xB3');
    std::string bytes = longLine + "\r\n";
    for (int i = 0; i < 40000; ++i)
        bytes += "1\r";
    const auto lines = readAllLines(bytes);
    ASSERT_EQ(lines.size(), 40001u);
    EXPECT_EQ(lines.front(), longLine);
    EXPECT_EQ(lines.back(), "1");
}

}  // namespace
}  // namespace kovrel::infofile
