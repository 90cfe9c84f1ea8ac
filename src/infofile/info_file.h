#pragma once

#include <cstddef>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kovrel::infofile {

// The byte that separates the fields of an info-file line (code page 857's vertical line).
inline constexpr char kFieldSeparator = '\xB3';

// One line of the info file split at every separator; field 0 is the record code. Fields are
// the file's bytes, unconverted.
using InfoRecord = std::vector<std::string>;

// An empty line has no fields; otherwise every separator starts a new field.
InfoRecord splitFields(std::string_view line);

// Reads lines that end at CR LF or a lone CR; a lone LF stays in the line. The last line may
// lack its line end. Lines of any length.
class LineReader {
  public:
    explicit LineReader(std::istream& in) : in_(in) {}
    // The next line, or nothing at the end of the input.
    std::optional<std::string> next();
    bool atEnd();
    std::size_t lineNumber() const { return lineNumber_; }

  private:
    std::istream& in_;
    std::size_t lineNumber_ = 0;
};

}  // namespace kovrel::infofile
