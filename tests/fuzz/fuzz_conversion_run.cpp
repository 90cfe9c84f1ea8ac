// A whole run on a fuzzed info file and declaration (input: a byte of choices, the info file,
// kDeclarationMarker, the declaration) on a drive D: of its own: one that does not complete leaves
// the declaration as it was, and none leaves anything beside it.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "conversion/enterprise.h"
#include "fuzz_check.h"
#include "platform/file_system.h"
#include "support/test_support.h"
#include "textconv/text_conv.h"

using namespace kovrel;
using conversion::EnterpriseChoice;
constexpr std::string_view kDeclarationMarker = "\n@@KOVREL-DECLARATION@@\n";

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto marker = std::min(rest.find(kDeclarationMarker), rest.size());
    const auto declaration = rest.substr(std::min(marker + kDeclarationMarker.size(), rest.size()));

    // Every input writes its files: a drive in memory, unless TMPDIR says otherwise.
    static const auto scene = (::setenv("TMPDIR", "/dev/shm", 0), test::Scene());
    std::filesystem::remove_all(scene.drive.root() / "ebyn");
    scene.writeInfo(rest.substr(0, marker));
    infofile::HeaderRead read;
    if (!test::failureOf([&] { read = scene.read(); }).empty())
        return 0;
    // The declaration where the header leads, as an earlier run left it; not when that path
    // leaves the ebyn folder (the run refuses it) or the host cannot hold it (too long, say).
    const auto file = scene.declaration().lexically_normal();
    if (!file.string().starts_with(platform::hostPath("D:\\ebyn\\")))
        return 0;
    try {
        test::writeBytes(file, declaration);
    } catch (const std::exception&) {
        return 0;
    }
    // Bit 0: create mode. Bits 1-2: the new record, no enterprise, the first title listed or
    // the header's title (not listed, most likely).
    std::vector<std::string> titles;
    test::failureOf([&] { titles = conversion::listEnterprises(declaration).titles; });
    const EnterpriseChoice choices[] = {
        EnterpriseChoice::newRecord(), EnterpriseChoice{},
        titles.empty() ? EnterpriseChoice{} : EnterpriseChoice::existing(titles.front()),
        EnterpriseChoice::existing(read.title)};
    const auto outcome =
        scene.run({"D",
                   data[0] & 1 ? conversion::Mode::CreateNew : conversion::Mode::AddToExisting,
                   choices[(data[0] >> 1) & 3],
                   {read.title, read.activity, "", "1.000,00", "", ""}});
    const std::string after = test::readBytes(file);
    if (outcome.end == conversion::RunEnd::Completed) {
        FUZZ_CHECK(test::failureOf([&] {
                       platform::xml::Document::parse(textconv::cleanXmlFile(after));
                   }).empty());
    } else {
        FUZZ_CHECK(after == declaration);
        FUZZ_CHECK(outcome.end != conversion::RunEnd::Failed || !outcome.cause.empty());
    }
    FUZZ_CHECK(scene.beside().empty());
    return 0;
}
