#include <gtest/gtest.h>
#include <wx/msgdlg.h>
#include <wx/textdlg.h>

#include <filesystem>
#include <functional>

#include "platform/messages.h"
#include "platform/xml/document.h"
#include "ui/window_texts.h"
#include "window_harness.h"

namespace kovrel::uitest {
namespace {

namespace fs = std::filesystem;
using conversion::Mode;

// Every state the target-file display can leave: Alt+B is the button, and does nothing while
// the button is disabled. A declaration that does not parse is said so (a note, the window
// stays) and offered to be created anew, which Alt+B then does.
TEST(AltB, DoesWhatTheButtonDoesInEveryState) {
    const std::string unreadable = kUnreadableDeclaration;
    const struct {
        const char* name;
        const char* example;
        std::function<std::string(const std::string& saved)> declaration;  // none: no file
        bool buttonEnabled;
        std::string shown;
    } cases[] = {
        {"no file", "gelir", nullptr, true, ""},
        {"enterprises listed", "gelir", [](const std::string& saved) { return saved; }, true, ""},
        {"list without enterprises", "gelir",
         [](const std::string&) {
             return "<beyanname><ozel><kazancDetay><ticariKazancBildirimi><ticariKazanclar/>"
                    "</ticariKazancBildirimi></kazancDetay></ozel></beyanname>";
         },
         false, ""},
        {"no list at all", "gelir",
         [](const std::string& saved) {
             return saved.substr(0, saved.find("<kazancDetay>")) +
                    saved.substr(saved.find("</kazancDetay>") + 14);
         },
         true, ""},
        {"cut off inside its list", "gelir",
         [](const std::string& saved) { return saved.substr(0, saved.find("<verilenEk>")); }, true,
         "i " + std::string(messages::kXmlReadFailed) + " +"},
        {"corporate tax", "kurumlar", [](const std::string& saved) { return saved; }, true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WindowHarness harness;
        const std::string info = harness.copyExample(c.example);
        const fs::path file = harness.declaration();
        if (c.declaration) {
            harness.convert(Mode::CreateNew, "Birinci");
            test::writeBytes(file, c.declaration(test::readBytes(file)));
        }
        const std::string before = test::readBytes(file);
        ui::FormMain& window = harness.start(info);
        EXPECT_EQ(harness.recorded.shown(), c.shown);
        ASSERT_FALSE(window.ended());
        EXPECT_EQ(window.cmdContinue->IsEnabled(), c.buttonEnabled);

        focusOn(window.cboDrive);
        pressKey('b', wxMOD_ALT);
        EXPECT_EQ(window.ended(), c.buttonEnabled);
        EXPECT_EQ(harness.recorded.shown(), c.shown) << "the run failed";
        if (!c.buttonEnabled) {
            EXPECT_EQ(test::readBytes(file), before);
            continue;
        }
        const auto saved = platform::xml::Document::parse(test::readBytes(file));
        EXPECT_TRUE(saved.firstOnPath("//beyanname/genel")) << "a whole declaration";
    }
}

// The boxes' buttons read Turkish whatever the system's language.
TEST(Dialogs, ButtonsReadTurkish) {
    const auto message = ui::makeMessageBox({"metin", "neden", "KOVREL"});
    EXPECT_EQ(message->GetOKLabel(), wxString::FromUTF8(ui::texts::kOk));
    const auto input = ui::makeInputBox({"soru", "KOVREL", "A"});
    EXPECT_EQ(input->FindWindow(wxID_OK)->GetLabel(), wxString::FromUTF8(ui::texts::kOk));
    EXPECT_EQ(input->FindWindow(wxID_CANCEL)->GetLabel(), wxString::FromUTF8(ui::texts::kCancel));
}

}  // namespace
}  // namespace kovrel::uitest
