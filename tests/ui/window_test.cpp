// The window from start-up to the saved declaration (drives, info file, target file, run), its
// dialogs, and the user's guide on what it says.
#include <gtest/gtest.h>
#include <wx/msgdlg.h>
#include <wx/textdlg.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <tuple>

#include "platform/messages.h"
#include "ui/window_texts.h"
#include "window_harness.h"

namespace kovrel::uitest {
namespace {

namespace fs = std::filesystem;
using conversion::Mode;

// The drives holding an ebyn folder are listed in letter order, the first chosen; without any,
// drive C stands in, and without C the program ends. The info file comes from the command line
// or else from the drive letter typed into the input box; one that is missing, has too short a
// header or names a declaration whose titles cannot be read ends the program with its message.
TEST(StartUpTest, FindsTheDrivesAndTheInfoFileOrEndsWithItsMessage) {
    const auto critical = [](const char* text) { return "! " + std::string(text) + " +"; };
    const std::string missing = critical(messages::kInfoFileMissing);
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
        {"D:\\kisa.txt", {}, "D:\\kisa.txt", critical(messages::kInfoFileUnreadable)},
        {"D:\\baska.txt", {}, "D:\\baska.txt", critical(messages::kXmlReadFailed)},
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
            fs::remove_all(harness.drive.rootOf(*letter) / "ebyn");
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

// Frames shown (drive and list, corporate note, new record), add chosen and enabled, list and
// button enabled; every shown control inside the window with the room its content needs.
using State = std::array<bool, 7>;
State stateOf(const ui::FormMain& window) {
    const wxRect client(window.GetClientSize());
    for (const wxWindow* control : window.Label1->GetParent()->GetChildren()) {
        if (!control->IsShown())
            continue;
        SCOPED_TRACE(control->GetLabel().utf8_string());
        EXPECT_TRUE(client.Contains(control->GetRect()));
        if (!control->IsKindOf(wxCLASSINFO(wxStaticBox)) && control != window.lblXMLF) {
            EXPECT_GE(control->GetSize().x, control->GetBestSize().x);
            EXPECT_GE(control->GetSize().y, control->GetBestSize().y);
        }
    }
    return {window.fraCBO->IsShown(),       window.fraINFO->IsShown(),
            window.fraNew->IsShown(),       window.optFO[0]->GetValue(),
            window.optFO[0]->IsEnabled(),   window.cboORT->IsEnabled(),
            window.cmdContinue->IsEnabled()};
}

// The display never writes the declaration: here a read-only one with a control character the
// run's cleaning would remove, so that a run fails at the save and the window stays open. Profit
// and loss are normalised key by key, the caret behind the key typed (also after two-byte letters).
// Creating anew takes a new record and locks the list, the fields keeping what was typed. Drive
// E's declaration cannot be read: its message, nothing a run could start from, the window open.
TEST(TargetFileTest, EnterpriseListAndTheChoicesItOffers) {
    WindowHarness harness("de");
    const std::string info = harness.copyExample("gelir");
    harness.convert(Mode::CreateNew, "Birinci");
    harness.convert(Mode::AddToExisting, "İkinci Ortaklık");
    test::writeBytes(harness.declaration('E'), kUnreadableDeclaration);
    const fs::path file = harness.declaration();
    std::string bytes = test::readBytes(file);
    test::writeBytes(file, bytes.insert(bytes.find("Birinci"), "\x01"));
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);

    ui::FormMain& window = harness.start(info);
    EXPECT_EQ(wxJoin(window.cboORT->GetStrings(), '|').utf8_string(),
              "Yeni Kayıt||Birinci|İkinci Ortaklık");
    EXPECT_EQ(window.cboORT->GetStringSelection(), "Birinci");
    EXPECT_EQ(stateOf(window), (State{true, false, false, true, true, true, true}));
    window.selectEnterprise(1);  // the empty entry: no choice, so no run even from the program
    EXPECT_FALSE(window.cmdContinue->IsEnabled());
    window.cmdContinue_Click();
    EXPECT_TRUE(harness.recorded.messages.empty());
    EXPECT_FALSE(window.ended());
    focusOn(window.cboORT);
    pressKey(WXK_HOME);  // "Yeni Kayıt"
    EXPECT_EQ(stateOf(window), (State{true, false, true, true, true, true, true}));
    EXPECT_EQ(wxWindow::FindFocus(), window.txtUnvan);
    // Field, text, caret; keys typed there; the text, and where the caret stands.
    const std::tuple<wxTextCtrl*, const char*, long, const char*, const char*> cases[] = {
        {window.txtZarar, "", 0, "1.500", "1500|4"},
        {window.txtKar, "1234", 2, ",", "12.34|3"},
        {window.txtKar, "Şü12", 2, ",", "Şü.12|3"},
        {window.txtPayOrani, "", 0, "1.2,5", "1.2,5|5"},
    };
    for (const auto& [field, before, caret, keys, after] : cases) {
        field->SetValue(wxString::FromUTF8(before));
        focusOn(field);
        field->SetInsertionPoint(caret);
        typeKeys(keys);
        EXPECT_EQ(
            field->GetValue().utf8_string() + "|" + std::to_string(field->GetInsertionPoint()),
            after);
    }
    focusOn(window.optFO[0]);
    pressKey(WXK_DOWN);
    EXPECT_EQ(window.cboORT->GetSelection(), 0);
    EXPECT_EQ(window.txtPayOrani->GetValue(), "1.2,5");
    EXPECT_EQ(stateOf(window), (State{true, false, true, false, true, false, true}));

    window.selectDrive(1);
    EXPECT_TRUE(window.lblXMLF->GetLabel().StartsWith("E:\\ebyn\\"));
    EXPECT_TRUE(window.cboORT->IsEmpty());
    EXPECT_FALSE(window.cmdContinue->IsEnabled() || window.fraNew->IsShown() || window.ended());
    window.selectDrive(0);
    focusOn(window.cboDrive);
    pressKey('b', wxMOD_ALT);
    EXPECT_FALSE(window.ended());
    EXPECT_EQ(harness.recorded.shown(), "! " + std::string(messages::kXmlReadFailed) + " +\nw " +
                                            messages::kRunFailed + " +");
    EXPECT_NE(harness.recorded.messages.back().cause.find("salt okunur"), std::string::npos);
    EXPECT_EQ(test::readBytes(file), bytes);
    // Once the file may be written, the same press saves and ends the program.
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
    pressKey('b', wxMOD_ALT);
    EXPECT_TRUE(window.ended());
    EXPECT_NE(test::readBytes(file), bytes);
}

// From the drive list to the saved declaration with the keyboard only, as a user would, Enter
// moving round the new record's fields. Drive D has no file: a new record in create mode, the
// activity from header line 11. A title already in the file is only a note, the title focused.
TEST(RunButtonTest, DrivenByTheKeyboardTheWindowWritesTheNewRecordAndEnds) {
    WindowHarness harness("de");
    const std::string info = harness.copyExample("gelir");
    harness.convert(Mode::CreateNew, "Birinci", 'E');
    ui::FormMain& window = harness.start(info);
    EXPECT_EQ(stateOf(window), (State{true, false, true, false, false, false, true}));
    EXPECT_EQ(wxWindow::FindFocus(), window.txtUnvan);

    focusOn(window.cboDrive);
    pressKey(WXK_END);  // drive E, which holds the declaration
    EXPECT_EQ(window.cboORT->GetStringSelection(), "Birinci");
    focusOn(window.cboORT);
    pressKey(WXK_HOME);  // "Yeni Kayıt": the title has the focus
    window.txtUnvan->SelectAll();
    typeKeys("Birinci");
    pressKey(WXK_RETURN);
    pressKey('b', wxMOD_ALT);  // İşlemi &Başlat
    EXPECT_FALSE(window.ended());
    EXPECT_EQ(harness.recorded.shown(), "i " + std::string(messages::kDuplicateTitle));
    ASSERT_EQ(wxWindow::FindFocus(), window.txtUnvan);

    window.txtUnvan->SelectAll();
    for (const char* keys : {"Yeni Ortak", "", "50", "1.500,25", "", "10"}) {
        typeKeys(keys);
        pressKey(WXK_RETURN);
    }
    EXPECT_EQ(wxWindow::FindFocus(), window.txtUnvan);
    pressKey('b', wxMOD_ALT);
    EXPECT_EQ(harness.recorded.endRequests, 1);
    const std::string saved =
        std::regex_replace(test::readBytes(harness.declaration('E')), std::regex(">\\s+<"), "><");
    EXPECT_NE(saved.find("</ticariKazanc><ticariKazanc><unvani>Yeni Ortak</unvani>"
                         "<faaliyetKonusu>Kirtasiye perakende ticareti</faaliyetKonusu>"
                         "<verilenEk>802</verilenEk><payOrani>50</payOrani><kar>1500.25</kar>"
                         "<kgv>10</kgv></ticariKazanc></ticariKazanclar>"),
              std::string::npos);
}

// Corporate tax shows the note instead of the enterprises, without a file created anew. On a
// monitor of another scale the window lays itself out for that DPI: as wide as the design there,
// every control with the room it needs, drive list and note kept, its centre where it was.
TEST(TargetFileTest, LaysItselfOutAgainOnAMonitorOfAnotherDpi) {
    WindowHarness harness("de");
    ui::FormMain& window = harness.start(harness.copyExample("kurumlar"));
    const State corporateTax{false, true, false, false, false, true, true};
    EXPECT_EQ(stateOf(window), corporateTax);
    EXPECT_EQ(window.lblTIP->GetLabel(), "KURUMLAR");
    window.selectDrive(1);
    const auto centre = [&window] { return window.GetPosition() + window.GetSize() / 2; };
    const auto unwrapped = [&window] {
        return wxJoin(wxSplit(window.lblDESC->GetLabel(), '\n', '\0'), ' ', '\0').utf8_string();
    };
    const wxPoint before = centre();
    const std::string note = unwrapped();
    wxSize dpi = window.GetDPI();
    for (const int next : {144, 192, 96}) {
        SCOPED_TRACE(next);
        wxDPIChangedEvent event(dpi, wxSize(next, next));
        dpi = event.GetNewDPI();
        window.ProcessWindowEvent(event);
        pump();
        EXPECT_EQ(stateOf(window), corporateTax);
        EXPECT_GE(window.GetClientSize().x, next * ui::kClientWidth / ui::kTwipsPerInch);
        EXPECT_EQ(
            wxJoin(window.cboDrive->GetStrings(), '|') + window.cboDrive->GetStringSelection(),
            "D|EE");
        EXPECT_EQ(unwrapped(), note);
        EXPECT_LE(std::abs(centre().x - before.x) + std::abs(centre().y - before.y), 2);
    }
}

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

// The user's guide explains every headline the program can show, as the catalogue words it.
TEST(Guide, ExplainsEveryHeadline) {
    const std::string guide = test::readBytes(KOVREL_GUIDE);
    ASSERT_FALSE(guide.empty());
    for (const char* headline : messages::kHeadlines)
        EXPECT_NE(guide.find(std::string("**") + headline + "**"), std::string::npos) << headline;
}

}  // namespace
}  // namespace kovrel::uitest

// The window tests need the toolkit running (and an X server); listing them does not.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    return kovrel::uitest::withToolkit(argc, argv, [] { return RUN_ALL_TESTS(); });
}
