#include <gtest/gtest.h>

#include <string>

#include "convert_fixture.h"
#include "textconv/text_conv.h"

namespace kovrel::cli::test {
namespace {

using kovrel::test::readBytes;

class ConvertExample : public ConvertFixture, public ::testing::WithParamInterface<Example> {};

// The first run creates the declaration; a second run for the same enterprise rebuilds it
// byte for byte, so that a file can be converted again without drifting.
TEST_P(ConvertExample, SecondRunGivesTheSameBytes) {
    const Example& example = GetParam();
    const auto first = convert({examplePath(example)});
    ASSERT_EQ(first.status, kSaved) << first.err;
    EXPECT_EQ(first.err, "");
    EXPECT_EQ(first.out, pathText('D', example) + "\n");
    const std::string created = readBytes(hostFile(example));
    ASSERT_FALSE(created.empty());

    const auto second = convert({examplePath(example)});
    ASSERT_EQ(second.status, kSaved) << second.err;
    EXPECT_EQ(readBytes(hostFile(example)), created);

    const auto third = convert({"--mode", "add", examplePath(example)});
    ASSERT_EQ(third.status, kSaved) << third.err;
    EXPECT_EQ(readBytes(hostFile(example)), created);
}

TEST_P(ConvertExample, SavedFileIsISO88599WithCrLfAndPassesTheCleaning) {
    const Example& example = GetParam();
    ASSERT_EQ(convert({examplePath(example)}).status, kSaved);
    const std::string saved = readBytes(hostFile(example));
    EXPECT_EQ(saved.rfind("<?xml version=\"1.0\" encoding=\"ISO-8859-9\"?>\r\n", 0), 0u);
    EXPECT_EQ(saved.substr(saved.size() - 2), "\r\n");
    EXPECT_EQ(textconv::cleanXmlFile(saved), saved);
    EXPECT_NE(saved.find(" kodVer=\"" + std::string(example.type) + "_10\""), std::string::npos);
    EXPECT_EQ(textAt(saved, "/beyanname/genel/mukellef/vergiNo"),
              textAt(saved, "/beyanname/genel/hsv/vergiNo"));
}

// The dry run prints what a real run would save, and leaves the drive as it was.
TEST_P(ConvertExample, DryRunPrintsTheDeclarationAndWritesNothing) {
    const Example& example = GetParam();
    const auto dry = convert({"--dry-run", examplePath(example)});
    ASSERT_EQ(dry.status, kSaved) << dry.err;
    EXPECT_EQ(dry.err, "");
    EXPECT_FALSE(fs::exists(drive_.root() / "ebyn" / "beyannameler"));

    ASSERT_EQ(convert({examplePath(example)}).status, kSaved);
    EXPECT_EQ(dry.out, readBytes(hostFile(example)));
}

INSTANTIATE_TEST_SUITE_P(Examples, ConvertExample, ::testing::ValuesIn(kExamples),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& c : name) {
                                 if (c == '-')
                                     c = '_';
                             }
                             return name;
                         });

// What the examples hold, checked against their info files by hand.
TEST_F(ConvertFixture, GelirExampleContent) {
    ASSERT_EQ(convert({examplePath(kExamples[0])}).status, kSaved);
    const std::string saved = readBytes(hostFile(kExamples[0]));
    // ŞAHİN and Gülşen from code page 857, written in ISO-8859-9.
    EXPECT_NE(saved.find("<soyadi>\xDE"
                         "AH\xDDN</soyadi>"),
              std::string::npos);
    EXPECT_NE(saved.find("<adi>G\xFCl\xFE"
                         "en</adi>"),
              std::string::npos);
    EXPECT_EQ(textAt(saved, "//mukellef/vergiNo"), "1234567890");
    EXPECT_EQ(textAt(saved, "//mukellef/tcKimlikNo"), "12345678901");
    EXPECT_EQ(textAt(saved, "//duzenleyen/vergiNo"), "9876543210");
    // A new record (create mode) from header lines 10 and 11, detailed balance sheet: 802.
    EXPECT_EQ(countOf(saved, "//ticariKazanclar/ticariKazanc"), 1u);
    EXPECT_EQ(textAt(saved, "//ticariKazanc/unvani"), "Şahin Kırtasiye & Kitabevi");
    EXPECT_EQ(textAt(saved, "//ticariKazanc/faaliyetKonusu"), "Kirtasiye perakende ticareti");
    EXPECT_EQ(textAt(saved, "//ticariKazanc/verilenEk"), "802");
    EXPECT_NE(saved.find("<unvani>\xDE"
                         "ahin K\xFDrtasiye &amp; Kitabevi</unvani>"),
              std::string::npos);
    // Records 1 and 2 are balance sheet rows, 3 income statement rows, all with the title.
    EXPECT_EQ(countOf(saved, "//ayrintiliBilanco/ABsatiri"), 5u);
    EXPECT_EQ(countOf(saved, "//ayrintiliGelirTablosu/AGTsatiri"), 3u);
    EXPECT_EQ(countOf(saved, "//ABsatiri[unvani='Şahin Kırtasiye & Kitabevi']"), 5u);
    EXPECT_EQ(countOf(saved, "//isletmeHesapOzeti"), 0u);
}

TEST_F(ConvertFixture, GelirOzetExampleKeepsTheBusinessSummary) {
    ASSERT_EQ(convert({examplePath(kExamples[1])}).status, kSaved);
    const std::string saved = readBytes(hostFile(kExamples[1]));
    EXPECT_EQ(textAt(saved, "//ticariKazanc/unvani"), "Öztürk Bakkaliye");
    EXPECT_EQ(textAt(saved, "//ticariKazanc/verilenEk"), "801");
    EXPECT_EQ(countOf(saved, "//isletmeHesapOzetleri/isletmeHesapOzeti"), 1u);
    EXPECT_EQ(countOf(saved, "//ayrintiliBilanco"), 0u);
}

TEST_F(ConvertFixture, KurumlarExampleHasNoEnterpriseAndUsesTheTaxNumber) {
    const auto result = convert({examplePath(kExamples[2])});
    ASSERT_EQ(result.status, kSaved) << result.err;
    const std::string saved = readBytes(hostFile(kExamples[2]));
    EXPECT_EQ(textAt(saved, "//kazancinTespitYontemi"), "1");
    EXPECT_EQ(textAt(saved, "//bilancoTip"), "703");
    EXPECT_EQ(textAt(saved, "//mukellef/tcKimlikNo"), "");
    EXPECT_EQ(countOf(saved, "//ticariKazanc"), 0u);
    // YILDIZ İNŞAAT, A.Ş.
    EXPECT_NE(saved.find("<soyadi>YILDIZ \xDDN\xDE"
                         "AAT</soyadi>"),
              std::string::npos);
    EXPECT_NE(saved.find("<adi>A.\xDE.</adi>"), std::string::npos);
}

}  // namespace
}  // namespace kovrel::cli::test
