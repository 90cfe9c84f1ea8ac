#include <gtest/gtest.h>
#include <wx/statbox.h>

#include <filesystem>

#include "conversion/messages.h"
#include "window_harness.h"

namespace kovrel::uitest {
namespace {

namespace fs = std::filesystem;
using conversion::Mode;
using Texts = std::vector<std::string>;

Texts entries(const wxChoice* list) {
    Texts result;
    for (unsigned int i = 0; i < list->GetCount(); ++i)
        result.push_back(list->GetString(i).utf8_string());
    return result;
}

// Frames shown, window height, options, list and button as the user sees them.
struct WindowState {
    bool fraCBO, fraINFO, fraNew;
    int heightTwips;
    bool addSelected, addEnabled, listEnabled, buttonEnabled;
};

// Also: every shown control lies inside the window and has the room its content needs.
void expectState(const ui::FormMain& window, const WindowState& expected) {
    EXPECT_EQ(window.fraCBO->IsShown(), expected.fraCBO);
    EXPECT_EQ(window.fraINFO->IsShown(), expected.fraINFO);
    EXPECT_EQ(window.fraNew->IsShown(), expected.fraNew);
    EXPECT_EQ(window.windowHeightTwips(), expected.heightTwips);
    EXPECT_EQ(window.optFO[0]->GetValue(), expected.addSelected);
    EXPECT_EQ(window.optFO[1]->GetValue(), !expected.addSelected);
    EXPECT_EQ(window.optFO[0]->IsEnabled(), expected.addEnabled);
    EXPECT_EQ(window.cboORT->IsEnabled(), expected.listEnabled);
    EXPECT_EQ(window.cmdContinue->IsEnabled(), expected.buttonEnabled);
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
}

// The display reads the declaration, never writes it: here a read-only file with a control
// character that the run's cleaning would remove.
TEST(TargetFileTest, EnterpriseListAndTheChoicesItOffers) {
    WindowHarness harness;
    const std::string info = harness.copyExample("gelir");
    harness.convert(info, Mode::CreateNew, "Birinci");
    harness.convert(info, Mode::AddToExisting, "İkinci Ortaklık");
    const fs::path file = harness.declarationFor(info);
    std::string bytes = test::readBytes(file);
    test::writeBytes(file, bytes.insert(bytes.find("Birinci"), "\x01"));
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);

    ui::FormMain& window = harness.start(info);
    ASSERT_FALSE(window.ended());
    EXPECT_EQ(entries(window.cboORT), (Texts{"Yeni Kayıt", "", "Birinci", "İkinci Ortaklık"}));
    EXPECT_EQ(window.cboORT->GetStringSelection(), "Birinci");
    EXPECT_EQ(window.lblXMLF->GetLabel().utf8_string(),
              "D:\\ebyn\\beyannameler\\12345678901\\034250_12345678901_GELIR_10_2026.xml");
    expectState(window, {true, false, false, 3735, true, true, true, true});

    window.selectEnterprise(1);  // the empty entry
    EXPECT_FALSE(window.cmdContinue->IsEnabled());
    focusOn(window.cboORT);
    pressKey(WXK_HOME);  // "Yeni Kayıt": the new record's fields
    expectState(window, {true, false, true, 6000, true, true, true, true});
    EXPECT_EQ(wxWindow::FindFocus(), window.txtUnvan);
    window.txtPayOrani->SetValue("25");
    window.selectEnterprise(2);
    expectState(window, {true, false, false, 3735, true, true, true, true});

    // Creating anew takes a new record and locks the list; the fields kept what was typed.
    focusOn(window.optFO[0]);
    pressKey(WXK_DOWN);
    EXPECT_EQ(window.cboORT->GetSelection(), 0);
    EXPECT_EQ(window.txtPayOrani->GetValue(), "25");
    expectState(window, {true, false, true, 6000, false, true, false, true});
    window.selectOption(0);
    EXPECT_EQ(window.cboORT->GetSelection(), 0);
    expectState(window, {true, false, true, 6000, true, true, true, true});
    EXPECT_EQ(test::readBytes(file), bytes);
}

// Without a file there is nothing to add to: a new record in create mode, its title and
// activity from header lines 10 and 11 (code page 857 letters mapped), the title focused.
TEST(TargetFileTest, IncomeTaxWithoutAFilePreparesANewRecordFromTheHeader) {
    WindowHarness harness;
    const ui::FormMain& window = harness.start(harness.copyExample("gelir-ozet"));
    ASSERT_FALSE(window.ended());
    EXPECT_EQ(entries(window.cboORT), Texts{"Yeni Kayıt"});
    expectState(window, {true, false, true, 6000, false, false, false, true});
    EXPECT_EQ(wxWindow::FindFocus(), window.txtUnvan);
    EXPECT_EQ(window.txtUnvan->GetValue().utf8_string(), "Öztürk Bakkaliye");
    EXPECT_EQ(window.txtFaaliyetK->GetValue().utf8_string(), "Gida perakende");
    // GELIR-OZET is an income tax return whose records are business summaries.
    EXPECT_EQ(window.txtVerilenEk->GetValue().utf8_string(), "İşletme");
    EXPECT_EQ(window.lblTIP->GetLabel(), "GELIR");
}

TEST(TargetFileTest, DeclarationWithoutEnterprisesOrWithoutTheirSection) {
    for (const std::string element : {"ticariKazanc", "ticariKazanclar"}) {
        SCOPED_TRACE(element);
        WindowHarness harness;
        const std::string info = harness.copyExample("gelir");
        harness.convert(info, Mode::CreateNew, "Birinci");
        const fs::path file = harness.declarationFor(info);
        std::string bytes = test::readBytes(file);
        const auto from = bytes.find("<" + element + ">");
        const auto to = bytes.find("</" + element + ">") + element.size() + 3;
        ASSERT_NE(from, std::string::npos);
        test::writeBytes(file, bytes.erase(from, to - from));

        const ui::FormMain& window = harness.start(info);
        ASSERT_FALSE(window.ended());
        EXPECT_EQ(window.cboORT->GetSelection(), wxNOT_FOUND);
        const bool listed = element == "ticariKazanc";  // the section is there, empty
        EXPECT_EQ(entries(window.cboORT), listed ? (Texts{"Yeni Kayıt", ""}) : Texts{});
        EXPECT_EQ(window.cmdContinue->IsEnabled(), !listed);
    }
}

TEST(TargetFileTest, CorporateTaxShowsTheNoteInsteadOfTheEnterprises) {
    for (const bool fileExists : {true, false}) {
        SCOPED_TRACE(fileExists ? "with a file" : "without a file");
        WindowHarness harness;
        const std::string info = harness.copyExample("kurumlar");
        if (fileExists)
            harness.convert(info, Mode::CreateNew, "");
        const ui::FormMain& window = harness.start(info);
        ASSERT_FALSE(window.ended());
        expectState(window, {false, true, false, 4425, fileExists, fileExists, true, true});
        EXPECT_EQ(window.lblTIP->GetLabel(), "KURUMLAR");
    }
}

// A declaration that cannot be read, met after start-up, leaves the window open with nothing
// that a run could start from.
TEST(TargetFileTest, UnreadableDeclarationOnAnotherDriveLeavesTheWindowOpen) {
    WindowHarness harness("de");
    const std::string info = harness.copyExample("gelir");
    test::writeBytes(harness.declarationFor(info, 'E'),
                     "<beyanname><ozel><kazancDetay><ticariKazancBildirimi><ticariKazanclar>"
                     "<ticariKazanc/></ticariKazanclar></ticariKazancBildirimi></kazancDetay>"
                     "</ozel></beyanname>");
    ui::FormMain& window = harness.start(info);
    focusOn(window.cboDrive);
    pressKey(WXK_END);
    EXPECT_FALSE(window.ended());
    EXPECT_TRUE(window.lblXMLF->GetLabel().StartsWith("E:\\ebyn\\"));
    ASSERT_EQ(harness.recorded.messages.size(), 1u);
    EXPECT_EQ(harness.recorded.messages[0].text, conversion::messages::kXmlReadFailed);
    EXPECT_NE(harness.recorded.messages[0].cause, "");
    EXPECT_TRUE(entries(window.cboORT).empty());
    EXPECT_FALSE(window.cmdContinue->IsEnabled());
    EXPECT_FALSE(window.fraNew->IsShown());
}

}  // namespace
}  // namespace kovrel::uitest
