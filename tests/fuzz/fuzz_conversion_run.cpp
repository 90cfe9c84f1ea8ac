// A whole conversion run on a fuzzed pair of info file and declaration file, on a temporary drive
// D: of its own. Whatever the pair holds, the run ends in one of its outcomes; a run that does not
// complete leaves the declaration file exactly as it was, and no run leaves anything beside it.
//
// Input: one byte of choices, the info file, kDeclarationMarker, the declaration file.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/conversion_run.h"
#include "conversion/enterprise.h"
#include "conversion/target_path.h"
#include "fuzz_check.h"
#include "infofile/declaration_header.h"
#include "platform/file_system.h"
#include "platform/xml/document.h"
#include "support/test_support.h"
#include "textconv/text_conv.h"

namespace {

using namespace kovrel;
namespace fs = std::filesystem;

constexpr std::string_view kDeclarationMarker = "\n@@KOVREL-DECLARATION@@\n";
conversion::RunChoices choicesFrom(std::uint8_t flags, const infofile::HeaderRead& read,
                                   std::string_view declaration) {
    conversion::RunChoices choices;
    choices.driveText = "D";
    choices.mode = flags & 1 ? conversion::Mode::CreateNew : conversion::Mode::AddToExisting;
    choices.fields.title = read.title;
    choices.fields.activity = read.activity;
    choices.fields.profit = "1.000,00";
    // Bits 1-2: the new record, no enterprise, the first title listed or one not listed.
    std::vector<std::string> titles;
    try {
        titles = conversion::listEnterprises(declaration).titles;
    } catch (const Error&) {
    }
    using conversion::EnterpriseChoice;
    switch ((flags >> 1) & 3) {
        case 0:
            choices.enterprise = EnterpriseChoice::newRecord();
            break;
        case 2:
            if (!titles.empty())
                choices.enterprise = EnterpriseChoice::existing(titles.front());
            break;
        case 3:
            choices.enterprise = EnterpriseChoice::existing(read.title);
            break;
    }
    return choices;
}

std::set<std::string> entriesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename());
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::uint8_t flags = data[0];
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto marker = std::min(rest.find(kDeclarationMarker), rest.size());
    const std::string_view info = rest.substr(0, marker);
    const auto declaration = rest.substr(std::min(marker + kDeclarationMarker.size(), rest.size()));

    // Every input writes its files: a drive in memory, unless TMPDIR says otherwise.
    static const auto drive = (::setenv("TMPDIR", "/dev/shm", 0), test::TempDrive());
    fs::remove_all(drive.root() / "ebyn");
    const fs::path infoPath = drive.root() / "beyan.txt";
    test::writeBytes(infoPath, info);

    std::optional<infofile::HeaderRead> read;
    try {
        read = infofile::readDeclarationHeader(infoPath);
    } catch (const Error&) {
        return 0;
    }
    // The declaration where the header leads, as an earlier run left it; not when that path
    // leaves the ebyn folder (the run refuses it) or the host cannot hold it (too long, say).
    const std::string path = conversion::targetXmlPath(conversion::ebynRoot("D"), read->header);
    const fs::path hostFile = fs::path(platform::hostPath(path)).lexically_normal();
    if (!hostFile.string().starts_with(platform::hostPath("D:\\ebyn\\")))
        return 0;
    try {
        test::writeBytes(hostFile, declaration);
    } catch (const std::exception&) {
        return 0;
    }
    const auto besideBefore = entriesIn(hostFile.parent_path());
    const auto choices = choicesFrom(flags, *read, declaration);
    const auto outcome = conversion::ConversionRun(read->header, infoPath, choices);
    FUZZ_CHECK(outcome.targetXmlPath == path);
    const std::string after = test::readBytes(hostFile);
    if (outcome.end == conversion::RunEnd::Completed) {
        FUZZ_CHECK(test::failureOf([&] {
                       platform::xml::Document::parse(textconv::cleanXmlFile(after));
                   }).empty());
    } else {
        FUZZ_CHECK(after == declaration);
        FUZZ_CHECK(outcome.end != conversion::RunEnd::Failed || !outcome.cause.empty());
    }
    FUZZ_CHECK(entriesIn(hostFile.parent_path()) == besideBefore);
    return 0;
}
