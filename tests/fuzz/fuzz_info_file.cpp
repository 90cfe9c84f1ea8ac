// The info file as the program reads it: the header reader on the file, and the body's line
// reading and field splitting on every line (the text mapping works byte by byte, and the core
// tests try every byte).
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "infofile/declaration_header.h"
#include "infofile/info_file.h"
#include "platform/error.h"

namespace {

using namespace kovrel;

// The reader opens a path; a memory file spares the disk on every input.
std::string asFilePath(std::string_view bytes) {
    static const int fd = memfd_create("beyan.txt", 0);
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(ftruncate(fd, 0) == 0);
    FUZZ_CHECK(pwrite(fd, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size()));
    return "/proc/self/fd/" + std::to_string(fd);
}

bool isPrintableUtf8(std::string_view text) {
    return std::none_of(text.begin(), text.end(),
                        [](unsigned char byte) { return byte < 32 || byte == 127; });
}

void checkHeader(std::string_view bytes) {
    std::optional<infofile::HeaderRead> read;
    try {
        read = infofile::readDeclarationHeader(asFilePath(bytes));
    } catch (const Error& e) {
        FUZZ_CHECK(*e.what() != '\0');
        return;
    }
    const infofile::HeaderRead& r = *read;
    const auto& h = r.header;
    FUZZ_CHECK(h.periodText.ends_with(h.year));
    FUZZ_CHECK(h.folderTaxNo == h.taxNo || h.folderTaxNo == h.identityNo);
    FUZZ_CHECK(!h.usesBusinessSummary() || h.declarationType == "GELIR");
    // Names pass the Turkish mapping: nothing unprintable reaches the declaration.
    for (const auto* value : {&h.surname, &h.firstName, &h.email, &r.title})
        FUZZ_CHECK(isPrintableUtf8(*value));
    for (const auto* value : {&h.surname, &h.firstName, &h.email})
        FUZZ_CHECK(value->find_first_of("<>\"'") == std::string::npos);
}

void checkBody(std::string_view bytes) {
    std::istringstream in{std::string(bytes)};
    infofile::LineReader reader(in);
    std::size_t consumed = 0;
    while (const auto line = reader.next()) {
        FUZZ_CHECK(line->find('\r') == std::string::npos);
        consumed += line->size();
        if (consumed < bytes.size()) {  // the line end: CR LF or a lone CR
            FUZZ_CHECK(bytes[consumed] == '\r');
            consumed += consumed + 1 < bytes.size() && bytes[consumed + 1] == '\n' ? 2 : 1;
        }
        const auto fields = infofile::splitFields(*line);
        FUZZ_CHECK(fields.empty() == line->empty());
        std::size_t joined = fields.empty() ? 0 : fields.size() - 1;
        for (const auto& field : fields) {
            joined += field.size();
            FUZZ_CHECK(field.find(infofile::kFieldSeparator) == std::string::npos);
        }
        FUZZ_CHECK(joined == line->size());
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
