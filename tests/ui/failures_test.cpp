#include <gtest/gtest.h>
#include <wx/msgdlg.h>
#include <wx/textdlg.h>

#include "platform/messages.h"
#include "ui/window_texts.h"
#include "window_harness.h"

namespace kovrel::uitest {
namespace {

namespace fs = std::filesystem;
using conversion::Mode;

// In every state the target-file display leaves, Alt+B is the button, disabled or not; a file that
// does not parse is said so (a note, the window stays) and created anew by Alt+B.
TEST(AltB, DoesWhatTheButtonDoesInEveryState) {
    const struct {
        const char *name, *example;
        const char *cutFrom, *cutTo;  // what the declaration lacks; no file: null; to the end: null
        bool buttonEnabled;
        std::string shown;
    } cases[] = {
        {"no file", "gelir", nullptr, "", true, ""},
        {"enterprises listed", "gelir", "", "", true, ""},
        {"list without enterprises", "gelir", "<ticariKazanc>", "</ticariKazanclar>", false, ""},
        {"no list at all", "gelir", "<kazancDetay>", "<ekler>", true, ""},
        {"cut off inside its list", "gelir", "<verilenEk>", nullptr, true,
         "i " + std::string(messages::kXmlReadFailed) + " +"},
        {"corporate tax", "kurumlar", "", "", true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WindowHarness harness;
        const std::string info = harness.copyExample(c.example);
        const fs::path file = harness.declaration();
        if (c.cutFrom) {
            harness.convert(Mode::CreateNew, "Birinci");
            std::string bytes = test::readBytes(file);
            const auto from = bytes.find(c.cutFrom);
            test::writeBytes(file,
                             bytes.erase(from, c.cutTo ? bytes.find(c.cutTo) - from : bytes.npos));
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
        if (c.buttonEnabled)
            EXPECT_TRUE(platform::xml::Document::parse(test::readBytes(file))
                            .firstOnPath("//beyanname/genel"))
                << "a whole declaration";
        else
            EXPECT_EQ(test::readBytes(file), before);
    }
}

// The guide explains what only the window says, as the window words it.
TEST(Dialogs, GuideExplainsTheWindowsOwnMessages) {
    const std::string guide = test::readBytes(KOVREL_GUIDE);
    for (const char* text : {ui::texts::kNoDrive, ui::texts::kDrivePrompt})
        EXPECT_NE(guide.find(text), std::string::npos) << text;
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
