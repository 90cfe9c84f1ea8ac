// Declaration files that try to break in: entities and document types that reach for other
// files, expansion bombs, absurd nesting and sizes, files that are not XML or not in the
// expected encoding. Each run ends with the failure message (the file left as it was) or with a
// correct declaration; none lets a local file's content into the saved file, none takes more
// than bounded memory.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <string>

#include "conversion/messages.h"
#include "hostile/conversion_scene.h"
#include "textconv/text_conv.h"

namespace kovrel::hostile {
namespace {

namespace fs = std::filesystem;
namespace messages = conversion::messages;

constexpr std::string_view kSecret = "GIZLI-ICERIK-3b7d91";

enum class Expect { Fails, Saves, FailsOrSaves };

struct DeclarationCase {
    const char* name;
    // The hostile file, made from the skeleton a new run writes; folder may receive files of
    // its own (the secret, a DTD).
    std::function<std::string(const std::string& skeleton, const fs::path& folder)> build;
    Expect expect;
    // A file of a hundred megabytes or more: through the converter only, in the normal build
    // only, to keep the suite short.
    bool large = false;
};

// Names the case in failure reports instead of dumping its bytes.
void PrintTo(const DeclarationCase& c, std::ostream* out) {
    *out << c.name;
}

std::string insertBefore(std::string text, std::string_view anchor, std::string_view insert) {
    const auto at = text.find(anchor);
    if (at == std::string::npos)
        throw std::logic_error("no " + std::string(anchor));
    return text.insert(at, insert);
}

// After the XML declaration, the place of a document type declaration.
std::string withDoctype(const std::string& skeleton, std::string_view doctype) {
    const auto lineEnd = skeleton.find("\r\n") + 2;
    return skeleton.substr(0, lineEnd) + std::string(doctype) + "\r\n" + skeleton.substr(lineEnd);
}

std::string withElement(const std::string& skeleton, std::string_view content) {
    return insertBefore(skeleton, "</genel>",
                        "<aciklama>" + std::string(content) + "</aciklama>\r\n");
}

fs::path writeSecret(const fs::path& folder) {
    const fs::path secret = folder / "gizli.txt";
    test::writeBytes(secret, kSecret);
    return secret;
}

std::string externalEntity(const std::string& skeleton, const fs::path& folder) {
    const fs::path secret = writeSecret(folder);
    return withElement(
        withDoctype(skeleton, "<!DOCTYPE beyanname [<!ENTITY gizli SYSTEM \"file://" +
                                  secret.string() + "\">]>"),
        "&gizli;");
}

std::string externalDtd(const std::string& skeleton, const fs::path& folder) {
    const fs::path secret = writeSecret(folder);
    const fs::path dtd = folder / "beyan.dtd";
    test::writeBytes(dtd, "<!ENTITY gizli SYSTEM \"file://" + secret.string() +
                              "\">\n<!ATTLIST beyanname ek CDATA \"" + std::string(kSecret) +
                              "\">\n");
    return withElement(
        withDoctype(skeleton, "<!DOCTYPE beyanname SYSTEM \"file://" + dtd.string() + "\">"),
        "&gizli;");
}

// Ten levels of ten references each: ten gigabytes once expanded.
std::string entityBomb(const std::string& skeleton, const fs::path&) {
    std::string doctype = "<!DOCTYPE beyanname [\r\n<!ENTITY e0 \"kovrel\">";
    for (int level = 1; level <= 10; ++level) {
        doctype += "\r\n<!ENTITY e" + std::to_string(level) + " \"";
        for (int i = 0; i < 10; ++i)
            doctype += "&e" + std::to_string(level - 1) + ";";
        doctype += "\">";
    }
    doctype += "\r\n]>";
    return withElement(withDoctype(skeleton, doctype), "&e10;");
}

std::string deepNesting(const std::string& skeleton, const fs::path&) {
    constexpr int kDepth = 100'000;
    std::string nested;
    nested.reserve(kDepth * 7);
    for (int i = 0; i < kDepth; ++i)
        nested += "<a>";
    for (int i = 0; i < kDepth; ++i)
        nested += "</a>";
    return withElement(skeleton, nested);
}

std::string hugeTextNode(const std::string& skeleton, const fs::path&) {
    return withElement(skeleton, std::string(200u << 20, 'x'));
}

std::string notXml(const std::string&, const fs::path&) {
    return "Bu dosya bir beyanname de\xF0il.\r\n<<< & >>> \x01\x02\xFF\r\n";
}

std::string asUtf8(const std::string& skeleton, const fs::path&) {
    std::string text = textconv::decodeLatin5(skeleton);
    const std::string from = "encoding=\"ISO-8859-9\"";
    text.replace(text.find(from), from.size(), "encoding=\"UTF-8\"");
    return text;
}

std::string asUtf16WithBom(const std::string& skeleton, const fs::path& folder) {
    std::string text = asUtf8(skeleton, folder);
    text.replace(text.find("UTF-8"), 5, "UTF-16");
    std::u16string wide;
    for (std::size_t i = 0; i < text.size();) {  // the skeleton's letters are all in the BMP
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;
        char32_t cp = length == 1 ? lead : lead & (length == 2 ? 0x1F : 0x0F);
        for (int k = 1; k < length; ++k)
            cp = (cp << 6) | (text[i + k] & 0x3F);
        wide += static_cast<char16_t>(cp);
        i += length;
    }
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : wide) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

const DeclarationCase kCases[] = {
    {"ExternalEntityToLocalFile", externalEntity, Expect::FailsOrSaves},
    {"ExternalDtd", externalDtd, Expect::FailsOrSaves},
    {"EntityExpansionBomb", entityBomb, Expect::FailsOrSaves},
    {"Nesting100000Deep", deepNesting, Expect::FailsOrSaves},
    {"TextNodeOf200MB", hugeTextNode, Expect::FailsOrSaves, true},
    {"NotXml", notXml, Expect::Fails},
    {"Utf8", asUtf8, Expect::Saves},
    {"Utf16WithBom", asUtf16WithBom, Expect::FailsOrSaves},
};

// Prepares the scene, returns the file as placed.
std::string placeHostileDeclaration(ConversionScene& scene, const DeclarationCase& c) {
    const std::string bytes = c.build(skeletonFor(scene.header()), scene.infoFile().parent_path());
    scene.placeDeclaration(bytes);
    return bytes;
}

// What is on disk after a run that saved (or did not).
void checkEnd(const DeclarationCase& c, bool saved, const std::string& before,
              const std::string& after) {
    EXPECT_EQ(after.find(kSecret), std::string::npos) << "a local file's content was saved";
    if (saved) {
        EXPECT_NE(c.expect, Expect::Fails) << "the run saved a file it should have refused";
        expectCorporateBodyWritten(after);
        // The records add a few hundred bytes; anything far beyond is an expansion.
        EXPECT_LT(after.size(), before.size() + 64 * 1024);
    } else {
        EXPECT_NE(c.expect, Expect::Saves) << "the run failed on a file it should take";
        // Sizes first: a 200 MB mismatch is not worth printing.
        ASSERT_EQ(after.size(), before.size()) << "a failed run changed the declaration";
        EXPECT_TRUE(after == before) << "a failed run changed the declaration";
    }
    std::cout << "[ outcome  ] " << c.name << ": " << (saved ? "saved" : "refused") << '\n';
}

class HostileDeclaration : public testing::TestWithParam<DeclarationCase> {};

TEST_P(HostileDeclaration, RunInProcessFailsOrSavesACorrectDeclaration) {
    if (GetParam().large)
        GTEST_SKIP() << "large file: checked through the converter";
    ConversionScene scene(corporateHeader(), corporateBody());
    const std::string before = placeHostileDeclaration(scene, GetParam());

    const auto outcome = scene.runInProcess();

    ASSERT_TRUE(outcome.end == conversion::RunEnd::Completed ||
                outcome.end == conversion::RunEnd::Failed);
    if (outcome.end == conversion::RunEnd::Failed) {
        EXPECT_FALSE(outcome.cause.empty());
    }
    checkEnd(GetParam(), outcome.end == conversion::RunEnd::Completed, before,
             scene.declarationOnDisk());
    EXPECT_TRUE(scene.filesBeside().empty());
}

TEST_P(HostileDeclaration, ConverterEndsWithMessageOrDeclarationInBoundedMemory) {
    if (GetParam().large && kUnderAddressSanitizer)
        GTEST_SKIP() << "large file: measured in the normal build";
    ConversionScene scene(corporateHeader(), corporateBody());
    const std::string before = placeHostileDeclaration(scene, GetParam());

    const auto result = scene.runConverter();

    ASSERT_EQ(result.signal, 0) << "the converter crashed\n" << result.err;
    expectPeakWithinBound(result, GetParam().name);
    const bool saved = result.exitCode == 0;
    if (saved) {
        EXPECT_EQ(result.out, scene.targetXmlPath() + "\n");
    } else {
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(firstLine(result.err), messages::kRunFailed);
    }
    checkEnd(GetParam(), saved, before, scene.declarationOnDisk());
    EXPECT_TRUE(scene.filesBeside().empty());
}

INSTANTIATE_TEST_SUITE_P(Files, HostileDeclaration, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kovrel::hostile
