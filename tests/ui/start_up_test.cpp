#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <optional>

#include "conversion/messages.h"
#include "window_harness.h"

namespace kovrel::uitest {
namespace {

namespace fs = std::filesystem;
namespace messages = conversion::messages;

// The info file comes from the command line, or else from the drive letter typed into the
// input box. One that is missing, has too short a header, or names a declaration whose
// enterprise titles cannot be read ends the program with its message.
TEST(StartUpTest, FindsTheInfoFileOrEndsWithItsMessage) {
    test::InfoHeader header;
    auto shortHeader = header.lines();
    shortHeader.resize(5);
    const struct {
        const char* commandLine;
        std::optional<std::string> answer;  // to the input box, asked when the line is empty
        const char* infoFilePath;           // what start-up settles on; empty when it ends
        const char* message;
    } cases[] = {
        {"  D:\\beyan.txt  ", {}, "D:\\beyan.txt", nullptr},
        {"\"D:\\beyan.txt\"", {}, "D:\\beyan.txt", nullptr},
        {"", "d:\\dosyalar", "d:\\beyan.txt", nullptr},
        {"", std::nullopt, "", nullptr},
        {"", "", "", nullptr},
        {"", "Q", "", messages::kInfoFileMissing},
        {"D:\\yok\\beyan.txt", {}, "", messages::kInfoFileMissing},
        {"\"D:\\bey\"an.txt\"", {}, "", messages::kInfoFileMissing},
        {"D:\\kisa.txt", {}, "", messages::kXmlReadFailed},
        {"D:\\baska.txt", {}, "", messages::kXmlReadFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.commandLine) + " / " + c.answer.value_or("cancelled"));
        WindowHarness harness;
        harness.copyExample("gelir");
        test::writeBytes(harness.drive.root() / "kisa.txt", test::infoFileText(shortHeader));
        test::writeBytes(harness.drive.root() / "baska.txt", test::infoFileText(header, {}));
        test::writeBytes(harness.declarationFor("D:\\baska.txt"),
                         "<beyanname><ozel><kazancDetay><ticariKazancBildirimi><ticariKazanclar>"
                         "<ticariKazanc/></ticariKazanclar></ticariKazancBildirimi></kazancDetay>"
                         "</ozel></beyanname>");
        harness.recorded.answer = c.answer;
        const ui::FormMain& window = harness.start(c.commandLine);
        const bool asked = !*c.commandLine;
        ASSERT_EQ(harness.recorded.inputs.size(), asked ? 1u : 0u);
        if (asked) {
            EXPECT_EQ(harness.recorded.inputs[0].defaultAnswer, "A");
        }
        EXPECT_EQ(harness.recorded.endRequests, *c.infoFilePath ? 0 : 1);
        if (*c.infoFilePath) {
            EXPECT_EQ(window.infoFilePath(), c.infoFilePath);
        }
        ASSERT_EQ(harness.recorded.messages.size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_EQ(harness.recorded.messages[0].text, c.message);
            EXPECT_EQ(harness.recorded.messages[0].icon, ui::MessageIcon::Critical);
            const bool readFailed = c.message == messages::kXmlReadFailed;
            EXPECT_EQ(harness.recorded.messages[0].cause.empty(), !readFailed);
        }
    }
}

// The drives that hold an ebyn folder, in letter order, the first one chosen; without any,
// drive C stands in, and without C the program ends.
TEST(StartUpTest, ListsTheDrivesHoldingEbyn) {
    const struct {
        const char* letters;
        const char* withEbyn;
        const char* listed;
    } cases[] = {{"dcef", "dcf", "CDF"}, {"dc", "", "C"}, {"d", "", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.letters);
        WindowHarness harness(c.letters);
        for (const char letter : std::string(c.letters)) {
            if (!std::strchr(c.withEbyn, letter))
                fs::remove(harness.drive.rootOf(letter) / "ebyn");
        }
        const ui::FormMain& window = harness.start(harness.copyExample("kurumlar"));
        std::string listed;
        for (unsigned int i = 0; i < window.cboDrive->GetCount(); ++i)
            listed += window.cboDrive->GetString(i).utf8_string();
        EXPECT_EQ(listed, c.listed);
        EXPECT_EQ(window.ended(), listed.empty());
        EXPECT_EQ(harness.recorded.messages.size(), listed.empty() ? 1u : 0u);
        if (!listed.empty()) {
            EXPECT_TRUE(window.lblXMLF->GetLabel().StartsWith(listed.substr(0, 1) + ":\\ebyn\\"));
        }
    }
}

}  // namespace
}  // namespace kovrel::uitest
