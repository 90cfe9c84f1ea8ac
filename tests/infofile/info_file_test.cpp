#include "infofile/info_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace kovrel::infofile {
namespace {

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
