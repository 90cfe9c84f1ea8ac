// The info file's header as read from the file, and every line read and split into fields (the
// text mapping goes byte by byte, and the core tests try every byte).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>

#include "fuzz_check.h"
#include "infofile/info_file.h"
#include "support/test_support.h"

namespace {

using namespace kovrel;

void checkHeader(std::string_view bytes) {
    // The reader opens a path: a file in memory, unless TMPDIR says otherwise.
    static const auto scene = (::setenv("TMPDIR", "/dev/shm", 0), test::Scene());
    scene.writeInfo(bytes);
    infofile::HeaderRead read;
    try {
        read = scene.read();
    } catch (const Error& e) {
        FUZZ_CHECK(*e.what() != '\0');
        return;
    }
    const auto& h = read.header;
    FUZZ_CHECK(h.periodText.ends_with(h.year));
    FUZZ_CHECK(h.folderTaxNo == h.taxNo || h.folderTaxNo == h.identityNo);
    FUZZ_CHECK(!h.usesBusinessSummary() || h.declarationType == "GELIR");
    // Names pass the Turkish mapping: nothing unprintable or unescaped reaches the declaration.
    for (const std::string& value : {h.surname, h.firstName, h.email, read.title})
        FUZZ_CHECK(std::none_of(value.begin(), value.end(),
                                [](unsigned char byte) { return byte < 32 || byte == 127; }));
    for (const std::string& value : {h.surname, h.firstName, h.email})
        FUZZ_CHECK(value.find_first_of("<>\"'") == std::string::npos);
}

// Lines end at CR LF or a lone CR and hold no CR; together with their ends they are the whole
// input, and their fields joined by the separator are the line.
void checkBody(std::string_view bytes) {
    std::istringstream in{std::string(bytes)};
    infofile::LineReader reader(in);
    std::size_t consumed = 0;
    while (const auto line = reader.next()) {
        FUZZ_CHECK(line->find('\r') == std::string::npos);
        consumed += line->size();
        if (consumed < bytes.size()) {
            FUZZ_CHECK(bytes[consumed] == '\r');
            consumed += bytes.substr(consumed, 2) == "\r\n" ? 2 : 1;
        }
        const auto fields = infofile::splitFields(*line);
        const auto separators = std::count(line->begin(), line->end(), infofile::kFieldSeparator);
        FUZZ_CHECK(fields.size() == (line->empty() ? 0 : static_cast<std::size_t>(separators) + 1));
        std::string joined;
        for (const auto& field : fields)
            (joined += field) += infofile::kFieldSeparator;
        FUZZ_CHECK(fields.empty() || joined == *line + infofile::kFieldSeparator);
    }
    FUZZ_CHECK(consumed == bytes.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkHeader(bytes);
    checkBody(bytes);
    return 0;
}
