#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "platform/messages.h"
#include "ui/start_up.h"
#include "ui/window_texts.h"
#include "window_harness.h"

namespace kovrel::uitest {
namespace {

namespace messages = kovrel::messages;

// The drives holding an ebyn folder are listed in letter order, the first chosen; without any,
// drive C stands in, and without C the program ends. The info file comes from the command line
// or else from the drive letter typed into the input box; one that is missing, has too short a
// header or names a declaration whose titles cannot be read ends the program with its message.
TEST(StartUpTest, FindsTheDrivesAndTheInfoFileOrEndsWithItsMessage) {
    const std::string missing = "! " + std::string(messages::kInfoFileMissing) + " +";
    const std::string shortHeader = "! " + std::string(messages::kInfoFileUnreadable) + " +";
    const std::string unreadable = "! " + std::string(messages::kXmlReadFailed) + " +";
    const struct {
        const char* commandLine;
        std::optional<std::string> answer;  // to the input box, asked when the line is empty
        const char* infoFilePath;           // what start-up settles on
        std::string shown;
        const char *letters = "d", *withoutEbyn = "", *listed = "D";
    } cases[] = {
        {"  D:\\beyan.txt  ", {}, "D:\\beyan.txt", ""},
        {"\"D:\\beyan.txt\"", {}, "D:\\beyan.txt", ""},
        {"", "d:\\dosyalar", "d:\\beyan.txt", ""},
        {"", std::nullopt, "", ""},
        {"", "", "", ""},
        {"D:\\yok\\beyan.txt", {}, "D:\\yok\\beyan.txt", missing},
        {"\"D:\\bey\"an.txt\"", {}, "\"D:\\bey\"an.txt\"", missing},
        {"D:\\kisa.txt", {}, "D:\\kisa.txt", shortHeader},
        {"D:\\baska.txt", {}, "D:\\baska.txt", unreadable},
        {"D:\\beyan.txt", {}, "D:\\beyan.txt", "", "dcef", "e", "C D F"},
        {"D:\\beyan.txt", {}, "D:\\beyan.txt", "", "dc", "dc", "C"},
        {"D:\\beyan.txt", {}, "", "! " + std::string(ui::texts::kNoDrive), "d", "d", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        WindowHarness harness(c.letters);
        harness.copyExample("gelir");
        test::writeBytes(harness.drive.root() / "kisa.txt", test::infoFileText({"1", "2", "3"}));
        test::writeBytes(harness.drive.root() / "baska.txt", test::infoFileText({}, {}));
        test::writeBytes(harness.drive.root() / "ebyn/beyannameler/1234567890" /
                             "034260_1234567890_GELIR_10_2023.xml",  // baska.txt's
                         kUnreadableDeclaration);
        for (const char* letter = c.withoutEbyn; *letter; ++letter)
            std::filesystem::remove_all(harness.drive.rootOf(*letter) / "ebyn");
        harness.recorded.answer = c.answer;
        const ui::FormMain& window = harness.start(c.commandLine);
        EXPECT_EQ(harness.recorded.inputs.size(), *c.commandLine ? 0u : 1u);
        EXPECT_EQ(window.infoFilePath(), c.infoFilePath);
        EXPECT_EQ(harness.recorded.shown(), c.shown);
        EXPECT_EQ(harness.recorded.endRequests, c.shown.empty() && *c.infoFilePath ? 0 : 1);
        EXPECT_EQ(wxJoin(window.cboDrive->GetStrings(), ' ').utf8_string(), c.listed);
        EXPECT_TRUE(!*c.listed ||
                    window.lblXMLF->GetLabel().StartsWith(wxString(c.listed[0]) + ":\\ebyn\\"));
    }
}

}  // namespace
}  // namespace kovrel::uitest
