// Files far beyond what the fuzzers try: declarations with a document type that reaches for a
// local file, an expansion bomb, absurd nesting or a text node of 200 MB; info files with lines
// of 100 MB. The converter refuses each with its message, leaves the declaration as it was and
// stays within bounded memory.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "conversion/messages.h"
#include "hostile/conversion_scene.h"

namespace kovrel::hostile {
namespace {

namespace fs = std::filesystem;
namespace messages = conversion::messages;

// The skeleton with a document type declaration and an element of that content.
std::string declarationWith(std::string skeleton, std::string_view doctype,
                            std::string_view content) {
    skeleton.insert(skeleton.find("</genel>"), "<aciklama>" + std::string(content) + "</aciklama>");
    return skeleton.insert(skeleton.find("<beyanname"), doctype);
}

std::string localFileEntity(const std::string& skeleton, const fs::path& infoFile) {
    return declarationWith(
        skeleton,
        "<!DOCTYPE beyanname [<!ENTITY gizli SYSTEM \"file://" + infoFile.string() + "\">]>",
        "&gizli;");
}

// Ten levels of ten references each: ten gigabytes once expanded.
std::string entityBomb(const std::string& skeleton, const fs::path&) {
    std::string doctype = "<!DOCTYPE beyanname [<!ENTITY e0 \"kovrel\">";
    for (int level = 1; level <= 10; ++level) {
        doctype += "<!ENTITY e" + std::to_string(level) + " \"";
        for (int i = 0; i < 10; ++i)
            doctype += "&e" + std::to_string(level - 1) + ";";
        doctype += "\">";
    }
    return declarationWith(skeleton, doctype + "]>", "&e10;");
}

std::string deepNesting(const std::string& skeleton, const fs::path&) {
    std::string nested;
    for (int i = 0; i < 100'000; ++i)
        nested += "<a>";
    for (int i = 0; i < 100'000; ++i)
        nested += "</a>";
    return declarationWith(skeleton, "", nested);
}

std::string hugeTextNode(const std::string& skeleton, const fs::path&) {
    return declarationWith(skeleton, "", std::string(200u << 20, 'x'));
}

std::string hundredMegabytes() {
    return std::string(100u << 20, 'a');
}

// A value beyond the parser's text limit was once saved into a declaration that did not load.
std::string hugeValue() {
    return test::infoFileText(corporateHeader(), {test::record({"1", "100", "1,00", "2,00"}),
                                                  test::record({"12", hundredMegabytes()})});
}

struct HostileCase {
    const char* name;
    std::string (*info)();  // the corporate return when null
    std::string (*declaration)(const std::string& skeleton, const fs::path& infoFile);
    int exitCode;       // 2: refused at start-up, nothing written; 1: the run failed
    const char* cause;  // part of the line under the message
    bool large;         // hundreds of megabytes
};

// Names the case in failure reports instead of dumping its bytes.
void PrintTo(const HostileCase& c, std::ostream* out) {
    *out << c.name;
}

const HostileCase kCases[] = {
    {"EntityReadingALocalFile", nullptr, localFileEntity, 1, "document type", false},
    {"EntityExpansionBomb", nullptr, entityBomb, 1, "does not parse", false},
    {"Nesting100000Deep", nullptr, deepNesting, 1, "does not parse", false},
    {"TextNodeOf200MB", nullptr, hugeTextNode, 1, "does not parse", true},
    {"InfoLineOf100MB", hundredMegabytes, nullptr, 2, "header line 1", true},
    {"InfoValueOf100MB", hugeValue, nullptr, 1, "line 14: a value of 104857600 bytes", true},
};

class HostileInput : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileInput, ConverterRefusesItWithItsMessageAndLeavesTheDeclaration) {
    const HostileCase& c = GetParam();
    if (c.large && kUnderAddressSanitizer)
        GTEST_SKIP() << "hundreds of megabytes: measured in the normal build";
    ConversionScene scene(c.info ? c.info() : corporateInfo());
    std::string before;
    if (c.exitCode != 2) {
        before =
            c.declaration ? c.declaration(scene.skeleton(), scene.infoFile()) : scene.skeleton();
        scene.placeDeclaration(before);
    }

    const auto end = scene.runConverter();

    expectRefusal(end, c.exitCode,
                  c.exitCode == 2 ? messages::kXmlReadFailed : messages::kRunFailed, c.cause);
    if (c.exitCode == 2) {
        EXPECT_TRUE(fs::is_empty(scene.infoFile().parent_path() / "ebyn"));
        return;
    }
    const std::string after = scene.declarationOnDisk();
    // Sizes first: a 200 MB mismatch is not worth printing.
    ASSERT_EQ(after.size(), before.size()) << "a failed run changed the declaration";
    EXPECT_TRUE(after == before) << "a failed run changed the declaration";
    EXPECT_TRUE(scene.filesBeside().empty());
}

INSTANTIATE_TEST_SUITE_P(Files, HostileInput, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kovrel::hostile
