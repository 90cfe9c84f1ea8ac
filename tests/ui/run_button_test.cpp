#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/xml_document.h"
#include "window_harness.h"

namespace kovrel::uitest {
namespace {

namespace fs = std::filesystem;
using conversion::Mode;

// The enterprise records of a saved declaration, as compact XML.
std::string enterpriseRecords(const fs::path& file) {
    const auto doc = platform::xml::Document::parse(test::readBytes(file));
    return test::compactXml(doc.selectSingleNode(conversion::kTicariKazanclarPath));
}

// Presses the button as a click does: through the toolkit's button event.
void press(wxButton* button) {
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(click);
    pump();
}

TEST(RunButtonTest, ACompletedRunWritesTheNewRecordFromTheFieldsAndEndsTheProgram) {
    WindowHarness harness;
    const std::string info = harness.copyExample("gelir");
    ui::FormMain& window = harness.start(info);
    window.txtUnvan->SetValue(wxString::FromUTF8("Gülşen Şahin Ortaklığı"));
    window.txtPayOrani->SetValue("50");
    window.txtKar->SetValue("1.234,56");
    window.txtKGV->SetValue("12,5");
    press(window.cmdContinue);

    EXPECT_TRUE(harness.recorded.messages.empty());
    EXPECT_EQ(harness.recorded.endRequests, 1);
    EXPECT_EQ(enterpriseRecords(harness.declarationFor(info)),
              "<ticariKazanclar><ticariKazanc><unvani>Gülşen Şahin Ortaklığı</unvani>"
              "<faaliyetKonusu>Kirtasiye perakende ticareti</faaliyetKonusu>"
              "<verilenEk>802</verilenEk><payOrani>50</payOrani><kar>1234.56</kar>"
              "<kgv>12,5</kgv></ticariKazanc></ticariKazanclar>");
}

TEST(RunButtonTest, ADuplicateTitleStopsTheRunAndTheButtonCanBePressedAgain) {
    WindowHarness harness;
    const std::string info = harness.copyExample("gelir");
    harness.convert(info, Mode::CreateNew, "Birinci");
    harness.convert(info, Mode::AddToExisting, "İkinci");
    const fs::path file = harness.declarationFor(info);
    const std::string before = test::readBytes(file);
    ui::FormMain& window = harness.start(info);
    window.selectEnterprise(0);
    window.txtUnvan->SetValue(wxString::FromUTF8("İkinci"));
    window.txtFaaliyetK->SetFocus();
    press(window.cmdContinue);

    EXPECT_FALSE(window.ended());
    ASSERT_EQ(harness.recorded.messages.size(), 1u);
    const ui::MessageRequest& shown = harness.recorded.messages[0];
    EXPECT_EQ(shown.text,
              "Yazmış olduğunuz ünvan XML dosya içerisinde daha önceden tanımlanmış lütfen ünvanı "
              "değiştirip tekrar deneyin.");
    EXPECT_EQ(shown.title, "KOVREL");
    EXPECT_EQ(shown.icon, ui::MessageIcon::Information);
    EXPECT_EQ(wxWindow::FindFocus(), window.txtUnvan);
    EXPECT_EQ(test::readBytes(file), before);
    EXPECT_TRUE(window.cmdContinue->IsEnabled());

    window.txtUnvan->SetValue(wxString::FromUTF8("ikinci"));  // titles differ by case
    press(window.cmdContinue);
    EXPECT_EQ(harness.recorded.messages.size(), 1u);
    EXPECT_EQ(harness.recorded.endRequests, 1);
    EXPECT_NE(enterpriseRecords(file).find("<unvani>ikinci</unvani>"), std::string::npos);
}

TEST(RunButtonTest, AFailedRunShowsItsMessageWithTheCauseAndEndsTheProgram) {
    struct Case {
        const char* name;
        const char* message;
    };
    for (const Case& c : {Case{"append target gone", "Ekleme yapılacak dosya bulunamadı!"},
                          Case{"bad record", "XML dosyası oluşturulurken hata oluştu!"}}) {
        SCOPED_TRACE(c.name);
        WindowHarness harness;
        const bool appendTargetGone = std::string(c.name) == "append target gone";
        std::string info = harness.copyExample("gelir");
        long lines = 0;  // of the info file, the bad record's included
        if (appendTargetGone) {
            harness.convert(info, Mode::CreateNew, "Birinci");
        } else {
            // A body record with fewer fields than its mapping reads.
            const std::string example = test::readBytes(harness.drive.root() / "beyan.txt");
            info = harness.writeInfoFile(example + test::record({"1", "100"}) + "\r\n");
            lines = std::count(example.begin(), example.end(), '\n') + 1;
        }
        const fs::path file = harness.declarationFor(info);
        ui::FormMain& window = harness.start(info);
        if (appendTargetGone)
            fs::remove(file);
        press(window.cmdContinue);

        EXPECT_TRUE(window.ended());
        ASSERT_EQ(harness.recorded.messages.size(), 1u);
        EXPECT_EQ(harness.recorded.messages[0].text, c.message);
        EXPECT_EQ(harness.recorded.messages[0].title, "KOVREL");
        EXPECT_EQ(harness.recorded.messages[0].icon, ui::MessageIcon::Critical);
        if (!appendTargetGone) {  // the cause names the bad record's line
            const std::string lineOfBadRecord = "line " + std::to_string(lines);
            EXPECT_NE(harness.recorded.messages[0].cause.find(lineOfBadRecord), std::string::npos);
        }
        EXPECT_FALSE(fs::exists(file));
    }
}

// From the drive list to the saved declaration with the keyboard only, as a user would.
TEST(RunButtonTest, DrivenThroughItsControlsTheWindowWritesTheDeclaration) {
    WindowHarness harness("de");
    const std::string info = harness.copyExample("gelir");
    harness.convert(info, Mode::CreateNew, "Birinci", 'E');
    ui::FormMain& window = harness.start(info);
    ASSERT_EQ(window.cboDrive->GetStringSelection(), "D");

    focusOn(window.cboDrive);
    pressKey(WXK_END);  // drive E, which holds the declaration
    EXPECT_EQ(window.cboDrive->GetStringSelection(), "E");
    EXPECT_EQ(window.cboORT->GetStringSelection(), "Birinci");
    EXPECT_TRUE(window.optFO[0]->GetValue());

    focusOn(window.cboORT);
    pressKey(WXK_HOME);  // "Yeni Kayıt": the record's fields appear, the title has the focus
    ASSERT_TRUE(window.txtUnvan->IsShownOnScreen());
    ASSERT_EQ(wxWindow::FindFocus(), window.txtUnvan);
    window.txtUnvan->SelectAll();
    typeKeys("Yeni Ortak");
    pressKey(WXK_RETURN);
    pressKey(WXK_RETURN);
    typeKeys("50");
    pressKey(WXK_RETURN);
    typeKeys("1.500,25");
    pressKey(WXK_RETURN);
    pressKey(WXK_RETURN);
    typeKeys("10");
    pressKey('b', wxMOD_ALT);  // İşlemi &Başlat

    EXPECT_TRUE(harness.recorded.messages.empty());
    EXPECT_EQ(harness.recorded.endRequests, 1);
    EXPECT_EQ(enterpriseRecords(harness.declarationFor(info, 'E')),
              "<ticariKazanclar><ticariKazanc><unvani>Birinci</unvani><verilenEk>802</verilenEk>"
              "</ticariKazanc><ticariKazanc><unvani>Yeni Ortak</unvani>"
              "<faaliyetKonusu>Kirtasiye perakende ticareti</faaliyetKonusu>"
              "<verilenEk>802</verilenEk><payOrani>50</payOrani><kar>1500.25</kar>"
              "<kgv>10</kgv></ticariKazanc></ticariKazanclar>");
    EXPECT_FALSE(fs::exists(harness.declarationFor(info, 'D')));
}

TEST(RunButtonTest, AltBDoesNothingWhileTheButtonIsDisabled) {
    WindowHarness harness;
    const std::string info = harness.copyExample("gelir");
    harness.convert(info, Mode::CreateNew, "Birinci");
    ui::FormMain& window = harness.start(info);
    window.selectEnterprise(1);
    focusOn(window.cboORT);
    pressKey('b', wxMOD_ALT);
    EXPECT_EQ(harness.recorded.endRequests, 0);
    EXPECT_TRUE(harness.recorded.messages.empty());
}

}  // namespace
}  // namespace kovrel::uitest
