// Info files that no accounting program should write: garbage, NUL bytes, one endless line, a
// short header, records that lack a field. Each run ends with a message (start-up's or the
// run's) or a correct declaration, leaves a declaration it did not save untouched, and stays
// within bounded memory.
#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <random>
#include <string>

#include "conversion/messages.h"
#include "hostile/conversion_scene.h"
#include "platform/xml_document.h"
#include "textconv/text_conv.h"

namespace kovrel::hostile {
namespace {

namespace messages = conversion::messages;
using conversion::Mode;
using conversion::RunEnd;

enum class Expect { HeaderRefused, Fails, Saves, AnyEnd };

struct InfoCase {
    const char* name;
    std::function<std::string()> info;
    Expect expect;
    Mode mode = Mode::AddToExisting;
    // Checks a saved declaration beyond "it loads".
    std::function<void(std::string_view saved)> checkSaved = nullptr;
    // A file of a hundred megabytes or more: through the converter only, in the normal build
    // only, to keep the suite short.
    bool large = false;
};

// Names the case in failure reports instead of dumping its bytes.
void PrintTo(const InfoCase& c, std::ostream* out) {
    *out << c.name;
}

std::string randomBytes(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random() & 0xFF);
    return bytes;
}

std::string corporateInfo(std::vector<std::string> extraBody = {}) {
    auto body = corporateBody();
    body.insert(body.end(), extraBody.begin(), extraBody.end());
    return test::infoFileText(corporateHeader(), body);
}

void expectLoads(std::string_view saved) {
    std::string error;
    const auto doc = platform::xml::Document::parse(textconv::cleanXmlFile(saved), &error);
    EXPECT_FALSE(doc.empty()) << "the saved declaration does not load: " << error;
}

std::string nulBytes() {
    test::InfoHeader header = corporateHeader();
    header.surname = std::string(
        "\x9E"
        "A\0H\x98"
        "N",
        6);
    return test::infoFileText(
        header,
        {test::record({"1", "100", "25.400,00", "18.200,00"}), test::record({"11", "Kasa & banka"}),
         test::record({"4", "1", "165.400,00"}),
         test::record({"12", std::string_view("Not\0 metni", 10)}),
         test::record({std::string_view("1\0", 2), "999", "1", "2"}), std::string(3, '\0')});
}

void checkNulBytesSaved(std::string_view saved) {
    expectCorporateBodyWritten(saved);
    EXPECT_EQ(saved.find('\0'), std::string_view::npos);
    const auto doc = platform::xml::Document::parse(textconv::cleanXmlFile(saved));
    // The footnote passes the Turkish mapping, which drops every control character.
    EXPECT_EQ(test::compactXml(doc.selectSingleNode("//beyanname/ozel/ekler/tdhpPasifDipnot")),
              "<tdhpPasifDipnot><tdhpPasifDipnotSatiri><deger>Not metni</deger>"
              "</tdhpPasifDipnotSatiri></tdhpPasifDipnot>");
}

std::string elevenLineHeader() {
    auto lines = corporateHeader().lines();
    lines.pop_back();
    return test::infoFileText(lines);
}

const InfoCase kCases[] = {
    {"BinaryGarbage", [] { return randomBytes(1u << 20, 5); }, Expect::AnyEnd},
    {"BinaryGarbageBody", [] { return corporateInfo({randomBytes(1u << 20, 7)}); }, Expect::AnyEnd,
     Mode::AddToExisting, expectLoads},
    {"NulBytes", nulBytes, Expect::Saves, Mode::CreateNew, checkNulBytesSaved},
    {"NulBytesOnly", [] { return std::string(1u << 16, '\0'); }, Expect::HeaderRefused},
    {"SingleLineOf100MB", [] { return std::string(100u << 20, 'A'); }, Expect::HeaderRefused,
     Mode::AddToExisting, nullptr, true},
    {"RecordLineOf100MB",
     [] {
         return corporateInfo({test::record({"12", std::string(100u << 20, 'a')})});
     },
     Expect::AnyEnd, Mode::AddToExisting, expectCorporateBodyWritten, true},
    {"ElevenLineHeader", elevenLineHeader, Expect::HeaderRefused},
};

std::vector<std::string> converterArgs(Mode mode) {
    return {"--mode", mode == Mode::CreateNew ? "create" : "add"};
}

// The declaration an earlier run left, when the header leads anywhere; returned as placed.
std::string placeSkeleton(ConversionScene& scene) {
    try {
        const std::string skeleton = skeletonFor(scene.header());
        scene.placeDeclaration(skeleton);
        return scene.declarationOnDisk() == skeleton ? skeleton : std::string();
    } catch (const std::exception&) {
        return {};  // a garbage header names no path this host can hold
    }
}

bool headerReads(const ConversionScene& scene) {
    std::string error;
    return infofile::readDeclarationHeader(scene.infoFile(), error).has_value();
}

void checkEnd(const InfoCase& c, ConversionScene& scene, bool saved, const std::string& before) {
    const std::string after = scene.declarationOnDisk();
    if (saved) {
        EXPECT_TRUE(c.expect == Expect::Saves || c.expect == Expect::AnyEnd);
        expectLoads(after);
        if (c.checkSaved)
            c.checkSaved(after);
    } else {
        EXPECT_TRUE(c.expect == Expect::Fails || c.expect == Expect::AnyEnd);
        ASSERT_EQ(after.size(), before.size()) << "a failed run changed the declaration";
        EXPECT_TRUE(after == before) << "a failed run changed the declaration";
    }
    EXPECT_TRUE(scene.filesBeside().empty());
    std::cout << "[ outcome  ] " << c.name << ": " << (saved ? "saved" : "refused by the run")
              << '\n';
}

class HostileInfoFile : public testing::TestWithParam<InfoCase> {};

TEST_P(HostileInfoFile, RunInProcessEndsWithRefusalOrCorrectDeclaration) {
    const InfoCase& c = GetParam();
    if (c.large)
        GTEST_SKIP() << "large file: checked through the converter";
    ConversionScene scene(c.info());
    if (!headerReads(scene)) {
        EXPECT_TRUE(c.expect == Expect::HeaderRefused || c.expect == Expect::AnyEnd);
        std::cout << "[ outcome  ] " << c.name << ": refused at start-up\n";
        return;
    }
    ASSERT_NE(c.expect, Expect::HeaderRefused) << "the header was taken";
    const std::string before = placeSkeleton(scene);

    const auto outcome = scene.runInProcess(c.mode);

    ASSERT_TRUE(outcome.end == RunEnd::Completed || outcome.end == RunEnd::Failed);
    checkEnd(c, scene, outcome.end == RunEnd::Completed, before);
}

TEST_P(HostileInfoFile, ConverterEndsWithMessageOrDeclarationInBoundedMemory) {
    const InfoCase& c = GetParam();
    if (c.large && kUnderAddressSanitizer)
        GTEST_SKIP() << "large file: measured in the normal build";
    ConversionScene scene(c.info());
    const bool headerRead = headerReads(scene);
    const std::string before = headerRead ? placeSkeleton(scene) : std::string();

    const auto result = scene.runConverter(converterArgs(c.mode));

    ASSERT_EQ(result.signal, 0) << "the converter crashed\n" << result.err;
    expectPeakWithinBound(result, c.name);
    if (!headerRead) {
        EXPECT_TRUE(c.expect == Expect::HeaderRefused || c.expect == Expect::AnyEnd);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(firstLine(result.err), messages::kXmlReadFailed);
        std::cout << "[ outcome  ] " << c.name << ": refused at start-up\n";
        return;
    }
    if (result.exitCode == 0) {
        EXPECT_EQ(result.out, scene.targetXmlPath() + "\n");
    } else {
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(firstLine(result.err), messages::kRunFailed);
    }
    checkEnd(c, scene, result.exitCode == 0, before);
}

INSTANTIATE_TEST_SUITE_P(Files, HostileInfoFile, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The file changed between start-up and the press of the button.
TEST(HostileInfoFile, FileCutToElevenLinesAfterStartUpFailsTheRun) {
    ConversionScene scene(corporateHeader(), corporateBody());
    const std::string before = placeSkeleton(scene);
    test::writeBytes(scene.infoFile(), elevenLineHeader());

    const auto outcome = scene.runInProcess();

    EXPECT_EQ(outcome.end, RunEnd::Failed);
    EXPECT_EQ(scene.declarationOnDisk(), before);
}

// A record with one field fewer than its code reads, after a good record of the same file:
// the run fails and nothing of the good record is saved either. The same record with the
// field it lacked goes through, so it is the missing field that fails the run.
struct ShortRecord {
    const char* name;
    const char* type;
    std::string goodRecord;
    std::string shortRecord;
    std::string completeRecord;
};

// Names the case in failure reports instead of dumping its bytes.
void PrintTo(const ShortRecord& c, std::ostream* out) {
    *out << c.name;
}

const std::string kRow = test::record({"1", "100", "5,00", "6,00"});
const std::string kSummaryColumns = "10\xB3      12.000,00      84.500,00";

const ShortRecord kShortRecords[] = {
    {"Gelir1", "GELIR", kRow, test::record({"1", "100", "5,00"}), kRow},
    {"Gelir2", "GELIR", kRow, test::record({"2", "320", "5,00"}),
     test::record({"2", "320", "5,00", "6,00"})},
    {"Gelir3", "GELIR", kRow, test::record({"3", "600", "5,00"}),
     test::record({"3", "600", "5,00", "6,00"})},
    {"Gelir4", "GELIR", kRow, "4", test::record({"4", "99"})},
    {"Gelir4KnownSubCode", "GELIR", kRow, test::record({"4", "1"}),
     test::record({"4", "1", "7,00"})},
    {"GelirOzet10", "GELIR-OZET", kSummaryColumns, "10", kSummaryColumns},
    {"GelirOzet20", "GELIR-OZET", kSummaryColumns, "20", test::record({"20", "1,00"})},
    {"GelirOzet60", "GELIR-OZET", kSummaryColumns, "60", test::record({"60", "1,00"})},
    {"GelirOzet81", "GELIR-OZET", kSummaryColumns, "81", test::record({"81", "1,00"})},
    {"Kurumlar1", "KURUMLAR", kRow, test::record({"1", "100", "5,00"}), kRow},
    {"Kurumlar2", "KURUMLAR", kRow, test::record({"2", "320", "5,00"}),
     test::record({"2", "320", "5,00", "6,00"})},
    {"Kurumlar3", "KURUMLAR", kRow, test::record({"3", "600", "5,00"}),
     test::record({"3", "600", "5,00", "6,00"})},
    {"Kurumlar4", "KURUMLAR", kRow, "4", test::record({"4", "99"})},
    {"Kurumlar4KnownSubCode", "KURUMLAR", kRow, test::record({"4", "1"}),
     test::record({"4", "1", "7,00"})},
    {"Kurumlar11", "KURUMLAR", kRow, "11", test::record({"11", "not"})},
    {"Kurumlar12", "KURUMLAR", kRow, "12", test::record({"12", "not"})},
    {"Kurumlar13", "KURUMLAR", kRow, "13", test::record({"13", "not"})},
};

class ShortRecordTest : public testing::TestWithParam<ShortRecord> {
  protected:
    static test::InfoHeader header() {
        test::InfoHeader h;
        h.type = GetParam().type;
        return h;
    }
    static std::vector<std::string> body(const std::string& last) {
        return {GetParam().goodRecord, last};
    }
};

TEST_P(ShortRecordTest, RunFailsAndSavesNothing) {
    ConversionScene scene(header(), body(GetParam().shortRecord));
    const std::string before = placeSkeleton(scene);

    const auto outcome = scene.runInProcess();

    EXPECT_EQ(outcome.end, RunEnd::Failed);
    EXPECT_EQ(scene.declarationOnDisk(), before);
}

TEST_P(ShortRecordTest, RecordWithTheMissingFieldCompletes) {
    ConversionScene scene(header(), body(GetParam().completeRecord));
    placeSkeleton(scene);

    const auto outcome = scene.runInProcess();

    EXPECT_EQ(outcome.end, RunEnd::Completed) << outcome.cause;
}

TEST_P(ShortRecordTest, ConverterShowsTheRunsFailureMessage) {
    ConversionScene scene(header(), body(GetParam().shortRecord));
    const std::string before = placeSkeleton(scene);
    std::vector<std::string> args{"--mode", "add"};
    if (std::string_view(GetParam().type).starts_with("GELIR"))
        args.push_back("--new");

    const auto result = scene.runConverter(args);

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(firstLine(result.err), messages::kRunFailed);
    expectPeakWithinBound(result, GetParam().name);
    EXPECT_EQ(scene.declarationOnDisk(), before);
    EXPECT_TRUE(scene.filesBeside().empty());
}

INSTANTIATE_TEST_SUITE_P(Codes, ShortRecordTest, testing::ValuesIn(kShortRecords),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kovrel::hostile
