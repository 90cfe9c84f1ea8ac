#include "infofile/info_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace kovrel::infofile {
namespace {

TEST(SplitFields, SplitsAtEveryByte179) {
    const struct {
        std::string line;
        InfoRecord fields;
    } cases[] = {
        {"", {}},
        {" ", {" "}},
        {"1\xB3\xB3x", {"1", "", "x"}},
        {"\xB3", {"", ""}},
        {" 60 \xB3  a  ", {" 60 ", "  a  "}},
        {"\x9E\xB2\xB4\xDA\ta\nb", {"\x9E\xB2\xB4\xDA\ta\nb"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(splitFields(c.line), c.fields) << c.line;
}

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
        {"LF CR is LF in line then CR", "\n\r", {"\n"}},
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
