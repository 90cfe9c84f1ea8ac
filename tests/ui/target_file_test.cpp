#include <gtest/gtest.h>

#include <filesystem>

#include "window_harness.h"

namespace kovrel::uitest {
namespace {

namespace fs = std::filesystem;
using conversion::Mode;

std::vector<std::string> entries(const wxChoice* list) {
    std::vector<std::string> result;
    for (unsigned int i = 0; i < list->GetCount(); ++i)
        result.push_back(list->GetString(i).utf8_string());
    return result;
}

// Frames shown, options, list and button as the user sees them after a refresh.
struct WindowState {
    bool fraCBO, fraINFO, fraNew;
    int heightTwips;
    bool addSelected, addEnabled, listEnabled, buttonEnabled;
};

void expectState(const ui::FormMain& window, const WindowState& expected) {
    EXPECT_EQ(window.fraCBO->IsShown(), expected.fraCBO);
    EXPECT_EQ(window.fraINFO->IsShown(), expected.fraINFO);
    EXPECT_EQ(window.fraNew->IsShown(), expected.fraNew);
    EXPECT_EQ(window.windowHeightTwips(), expected.heightTwips);
    EXPECT_EQ(window.GetClientSize().y, window.scale().y(expected.heightTwips - 480));
    EXPECT_EQ(window.optFO[0]->GetValue(), expected.addSelected);
    EXPECT_EQ(window.optFO[1]->GetValue(), !expected.addSelected);
    EXPECT_EQ(window.optFO[0]->IsEnabled(), expected.addEnabled);
    EXPECT_TRUE(window.optFO[1]->IsEnabled());
    EXPECT_EQ(window.cboORT->IsEnabled(), expected.listEnabled);
    EXPECT_EQ(window.cmdContinue->IsEnabled(), expected.buttonEnabled);
}

TEST(TargetFileTest, IncomeTaxFileWithSeveralEnterprisesListsThemAndSelectsTheFirst) {
    WindowHarness harness;
    const std::string info = harness.copyExample("gelir");
    harness.convert(info, Mode::CreateNew, "Birinci");
    harness.convert(info, Mode::AddToExisting, "İkinci Ortaklık");
    harness.convert(info, Mode::AddToExisting, "Üçüncü");
    const fs::path file = harness.declarationFor(info);
    // A control character that the cleaning removes: the display must not write the file.
    std::string bytes = test::readBytes(file);
    bytes.insert(bytes.find("Birinci"), "\x01");
    test::writeBytes(file, bytes);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);

    const ui::FormMain& window = harness.start(info);
    ASSERT_FALSE(window.ended());
    EXPECT_EQ(entries(window.cboORT),
              (std::vector<std::string>{"Yeni Kayıt", "", "Birinci", "İkinci Ortaklık", "Üçüncü"}));
    EXPECT_EQ(window.cboORT->GetSelection(), 2);
    expectState(window, {true, false, false, 3735, true, true, true, true});
    EXPECT_EQ(window.lblXMLF->GetLabel().utf8_string(),
              "D:\\ebyn\\beyannameler\\12345678901\\034250_12345678901_GELIR_10_2026.xml");
    EXPECT_EQ(test::readBytes(file), bytes);
    EXPECT_FALSE(window.focusTitlePending());
}

TEST(TargetFileTest, EnterpriseSelectionsAndModesKeepTheWindowConsistent) {
    WindowHarness harness;
    const std::string info = harness.copyExample("gelir");
    harness.convert(info, Mode::CreateNew, "Birinci");
    ui::FormMain& window = harness.start(info);

    window.selectEnterprise(1);  // the empty entry
    EXPECT_FALSE(window.cmdContinue->IsEnabled());
    window.selectEnterprise(0);  // "Yeni Kayıt"
    expectState(window, {true, false, true, 6000, true, true, true, true});
    EXPECT_EQ(window.txtVerilenEk->GetValue().utf8_string(), "Bilanço");
    window.selectEnterprise(2);
    expectState(window, {true, false, false, 3735, true, true, true, true});

    window.selectOption(1);  // create anew: a new record, the list locked
    EXPECT_EQ(window.cboORT->GetSelection(), 0);
    expectState(window, {true, false, true, 6000, false, true, false, true});
    window.selectOption(0);  // the list is free again, "Yeni Kayıt" stays
    EXPECT_EQ(window.cboORT->GetSelection(), 0);
    expectState(window, {true, false, true, 6000, true, true, true, true});

    // The user's own choice of an option runs the same handler.
    window.selectEnterprise(2);
    focusOn(window.optFO[0]);
    pressKey(WXK_DOWN);
    EXPECT_EQ(window.cboORT->GetSelection(), 0);
    expectState(window, {true, false, true, 6000, false, true, false, true});
}

TEST(TargetFileTest, IncomeTaxWithoutAFilePreparesANewRecordInCreateMode) {
    for (const char* example : {"gelir", "gelir-ozet"}) {
        SCOPED_TRACE(example);
        WindowHarness harness;
        ui::FormMain& window = harness.load(harness.copyExample(example));
        EXPECT_TRUE(window.focusTitlePending());  // the window is not shown yet
        harness.show();
        EXPECT_EQ(entries(window.cboORT), std::vector<std::string>{"Yeni Kayıt"});
        EXPECT_EQ(window.cboORT->GetSelection(), 0);
        expectState(window, {true, false, true, 6000, false, false, false, true});
        EXPECT_EQ(window.txtVerilenEk->GetValue().utf8_string(),
                  std::string(example) == "gelir" ? "Bilanço" : "İşletme");
        // The first activation has moved the focus into the title.
        EXPECT_EQ(wxWindow::FindFocus(), window.txtUnvan);
        EXPECT_FALSE(window.focusTitlePending());
    }
}

TEST(TargetFileTest, ADeclarationWithoutEnterprisesOrWithoutTheirSection) {
    for (const bool withSection : {true, false}) {
        SCOPED_TRACE(withSection ? "empty ticariKazanclar" : "no ticariKazanclar");
        WindowHarness harness;
        const std::string info = harness.copyExample("gelir");
        harness.convert(info, Mode::CreateNew, "Birinci");
        const fs::path file = harness.declarationFor(info);
        std::string bytes = test::readBytes(file);
        const std::string element = withSection ? "ticariKazanc" : "ticariKazanclar";
        const auto from = bytes.find("<" + element + ">");
        const auto to = bytes.find("</" + element + ">") + element.size() + 3;
        ASSERT_NE(from, std::string::npos);
        test::writeBytes(file, bytes.erase(from, to - from));

        const ui::FormMain& window = harness.start(info);
        ASSERT_FALSE(window.ended());
        EXPECT_EQ(window.cboORT->GetSelection(), wxNOT_FOUND);
        if (withSection) {
            EXPECT_EQ(entries(window.cboORT), (std::vector<std::string>{"Yeni Kayıt", ""}));
            EXPECT_FALSE(window.cmdContinue->IsEnabled());
        } else {
            EXPECT_TRUE(entries(window.cboORT).empty());
            EXPECT_TRUE(window.cmdContinue->IsEnabled());  // left as it was
        }
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
        EXPECT_EQ(window.topTwips(window.fraINFO), 1710);
        EXPECT_EQ(window.topTwips(window.cmdContinue), 1800);
        EXPECT_EQ(window.fraINFO->GetPosition().y, window.scale().y(1710));
        EXPECT_EQ(window.cmdContinue->GetPosition().y, window.scale().y(1800));
        EXPECT_EQ(window.lblTIP->GetLabel(), "KURUMLAR");
    }
}

TEST(TargetFileTest, AnotherDeclarationTypeOnlyShowsThePath) {
    WindowHarness harness;
    test::InfoHeader header;
    header.type = "damga";
    const ui::FormMain& window =
        harness.start(harness.writeInfoFile(test::infoFileText(header, {})));
    ASSERT_FALSE(window.ended());
    EXPECT_TRUE(window.lblXMLF->GetLabel().EndsWith("_DAMGA_10_2023.xml"));
    EXPECT_EQ(window.lblTIP->GetLabel(), "DAMGA");
    EXPECT_TRUE(entries(window.cboORT).empty());
    EXPECT_TRUE(window.optFO[0]->GetValue());
    EXPECT_TRUE(window.optFO[0]->IsEnabled());
    EXPECT_EQ(window.windowHeightTwips(), 3735);
}

TEST(TargetFileTest, ChangingTheDriveRefreshesAndAFailedRefreshLeavesTheWindowUsable) {
    WindowHarness harness("de");
    const std::string info = harness.copyExample("gelir");
    harness.convert(info, Mode::CreateNew, "Birinci");  // on D
    ui::FormMain& window = harness.start(info);
    ASSERT_EQ(entries(window.cboORT).size(), 3u);

    window.selectDrive(1);  // E holds no declaration yet
    EXPECT_TRUE(window.lblXMLF->GetLabel().StartsWith("E:\\ebyn\\"));
    EXPECT_EQ(entries(window.cboORT), std::vector<std::string>{"Yeni Kayıt"});
    expectState(window, {true, false, true, 6000, false, false, false, true});

    window.selectDrive(0);
    EXPECT_EQ(entries(window.cboORT).size(), 3u);
    expectState(window, {true, false, false, 3735, true, true, true, true});

    // An enterprise record without a child element: its title cannot be read.
    test::writeBytes(harness.declarationFor(info, 'E'),
                     "<beyanname><ozel><kazancDetay><ticariKazancBildirimi><ticariKazanclar>"
                     "<ticariKazanc/></ticariKazanclar></ticariKazancBildirimi></kazancDetay>"
                     "</ozel></beyanname>");
    window.selectDrive(1);
    EXPECT_FALSE(window.ended());
    ASSERT_EQ(harness.recorded.messages.size(), 1u);
    EXPECT_EQ(harness.recorded.messages[0].text, "XML dosya okunurken hata oluştu.");
    EXPECT_EQ(harness.recorded.messages[0].title, "KOVREL");
    EXPECT_FALSE(harness.recorded.messages[0].cause.empty());
    EXPECT_TRUE(entries(window.cboORT).empty());
    EXPECT_FALSE(window.cmdContinue->IsEnabled());
    EXPECT_FALSE(window.fraNew->IsShown());
    EXPECT_TRUE(window.cboDrive->IsEnabled());
}

}  // namespace
}  // namespace kovrel::uitest
