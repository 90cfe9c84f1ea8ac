#include "infofile/info_file.h"

#include <istream>

namespace kovrel::infofile {

InfoRecord splitFields(std::string_view line) {
    InfoRecord fields;
    if (line.empty())
        return fields;
    std::size_t start = 0;
    while (true) {
        const auto separator = line.find(kFieldSeparator, start);
        if (separator == std::string_view::npos) {
            fields.emplace_back(line.substr(start));
            return fields;
        }
        fields.emplace_back(line.substr(start, separator - start));
        start = separator + 1;
    }
}

std::optional<std::string> LineReader::next() {
    if (atEnd())
        return std::nullopt;
    std::string line;
    std::getline(in_, line, '\r');
    if (in_.peek() == '\n')
        in_.get();
    ++lineNumber_;
    return line;
}

bool LineReader::atEnd() {
    return in_.peek() == std::char_traits<char>::eof();
}

}  // namespace kovrel::infofile
