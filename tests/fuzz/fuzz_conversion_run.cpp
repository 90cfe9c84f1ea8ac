// A whole conversion run on a fuzzed pair of info file and declaration file, on a drive D: of its
// own in memory. Whatever the pair holds, the run ends in one of its outcomes; a run that does not
// complete leaves the declaration file exactly as it was, and no run leaves anything beside it.
//
// Input: one byte of choices, the info file, kDeclarationMarker, the declaration file.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>

#include "conversion/conversion_run.h"
#include "conversion/enterprise.h"
#include "conversion/target_path.h"
#include "fuzz_check.h"
#include "infofile/declaration_header.h"
#include "platform/file_system.h"
#include "platform/xml_document.h"
#include "textconv/text_conv.h"

namespace {

using namespace kovrel;
namespace fs = std::filesystem;

constexpr std::string_view kDeclarationMarker = "\n@@KOVREL-DECLARATION@@\n";

// A Wine-style prefix whose d: is a folder in shared memory, made once per process.
const fs::path& driveD() {
    static const fs::path drive = [] {
        std::string base = "/dev/shm/kovrel-fuzz-XXXXXX";
        FUZZ_CHECK(mkdtemp(base.data()) != nullptr);
        const fs::path root = base;
        fs::create_directories(root / "prefix" / "dosdevices");
        fs::create_directories(root / "d");
        fs::create_directory_symlink(root / "d", root / "prefix" / "dosdevices" / "d:");
        setenv("WINEPREFIX", (root / "prefix").c_str(), 1);
        return root / "d";
    }();
    return drive;
}

void writeFile(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Puts the declaration where the header's path leads, as an earlier run would have; false when
// the host cannot hold that path (an over-long name, say).
bool placeDeclaration(const infofile::DeclarationHeader& header, std::string_view declaration,
                      std::string& path) {
    const std::string root = conversion::ebynRoot("D");
    for (const auto& folder : conversion::folderSet(root, header)) {
        std::error_code ignored;
        fs::create_directory(platform::hostPath(folder), ignored);
    }
    path = conversion::targetXmlPath(root, header);
    writeFile(platform::hostPath(path), declaration);
    return platform::fileExists(path) && readFile(platform::hostPath(path)) == declaration;
}

conversion::RunChoices choicesFrom(std::uint8_t flags, const infofile::HeaderRead& read,
                                   std::string_view declaration) {
    conversion::RunChoices choices;
    choices.driveText = "D";
    choices.mode = flags & 1 ? conversion::Mode::CreateNew : conversion::Mode::AddToExisting;
    choices.fields.title = read.title;
    choices.fields.activity = read.activity;
    choices.fields.profit = "1.000,00";
    std::string error;
    const auto listing = conversion::listEnterprises(declaration, error);
    if (listing && choices.mode == conversion::Mode::AddToExisting)
        choices.enterprise.listTitles = listing->titles;
    switch ((flags >> 1) & 3) {
        case 0:
            choices.enterprise.listIndex = 0;
            break;
        case 1:
            choices.enterprise.listIndex = -1;
            break;
        case 2:
            choices.enterprise.listIndex = 1;
            break;
        case 3:
            if (!choices.enterprise.listTitles.empty()) {
                choices.enterprise.listIndex = 2;
                choices.enterprise.listText = choices.enterprise.listTitles.front();
            }
            break;
    }
    return choices;
}

// Empty when the folder cannot be listed: a period holding a slash names no folder of ours.
std::set<std::string> entriesIn(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        names.insert(it->path().filename());
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::uint8_t flags = data[0];
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto marker = rest.find(kDeclarationMarker);
    const std::string_view info = rest.substr(0, marker);
    const std::string_view declaration = marker == std::string_view::npos
                                             ? std::string_view()
                                             : rest.substr(marker + kDeclarationMarker.size());

    const fs::path& drive = driveD();
    fs::remove_all(drive / "ebyn");
    fs::create_directory(drive / "ebyn");
    const fs::path infoPath = drive / "beyan.txt";
    writeFile(infoPath, info);

    std::string error;
    const auto read = infofile::readDeclarationHeader(infoPath, error);
    if (!read)
        return 0;
    std::string path;
    if (!placeDeclaration(read->header, declaration, path))
        return 0;

    const fs::path hostFile = platform::hostPath(path);
    const auto besideBefore = entriesIn(hostFile.parent_path());
    const auto choices = choicesFrom(flags, *read, declaration);
    const auto outcome = conversion::ConversionRun(read->header, infoPath, choices);
    FUZZ_CHECK(outcome.targetXmlPath == path);
    const std::string after = readFile(hostFile);
    if (outcome.end == conversion::RunEnd::Completed) {
        const auto reloaded = platform::xml::Document::parse(textconv::cleanXmlFile(after));
        FUZZ_CHECK(!reloaded.empty());
    } else {
        FUZZ_CHECK(after == declaration);
        FUZZ_CHECK(outcome.end != conversion::RunEnd::Failed || !outcome.cause.empty());
    }
    FUZZ_CHECK(entriesIn(hostFile.parent_path()) == besideBefore);
    return 0;
}
