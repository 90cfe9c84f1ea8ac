#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "conversion/messages.h"
#include "platform/xml_document.h"
#include "window_harness.h"

namespace kovrel::uitest {
namespace {

namespace fs = std::filesystem;
namespace messages = conversion::messages;
using conversion::Mode;

// The enterprise records of a saved declaration, as compact XML.
std::string enterpriseRecords(const fs::path& file) {
    const auto doc = platform::xml::Document::parse(test::readBytes(file));
    return test::compactXml(doc.selectSingleNode(conversion::kTicariKazanclarPath));
}

// From the drive list to the saved declaration with the keyboard only, as a user would. A
// title already in the file is only a note: the file stays, the title has the focus again.
TEST(RunButtonTest, DrivenByTheKeyboardTheWindowWritesTheNewRecordAndEnds) {
    WindowHarness harness("de");
    const std::string info = harness.copyExample("gelir");
    harness.convert(info, Mode::CreateNew, "Birinci", 'E');
    const fs::path file = harness.declarationFor(info, 'E');
    const std::string before = test::readBytes(file);
    ui::FormMain& window = harness.start(info);
    ASSERT_EQ(window.cboDrive->GetStringSelection(), "D");

    focusOn(window.cboDrive);
    pressKey(WXK_END);  // drive E, which holds the declaration
    EXPECT_EQ(window.cboORT->GetStringSelection(), "Birinci");
    focusOn(window.cboORT);
    pressKey(WXK_HOME);  // "Yeni Kayıt": the title has the focus
    ASSERT_EQ(wxWindow::FindFocus(), window.txtUnvan);
    window.txtUnvan->SelectAll();
    typeKeys("Birinci");
    pressKey(WXK_RETURN);
    pressKey('b', wxMOD_ALT);  // İşlemi &Başlat
    EXPECT_FALSE(window.ended());
    ASSERT_EQ(harness.recorded.messages.size(), 1u);
    EXPECT_EQ(harness.recorded.messages[0].text, messages::kDuplicateTitle);
    EXPECT_EQ(harness.recorded.messages[0].icon, ui::MessageIcon::Information);
    EXPECT_EQ(test::readBytes(file), before);
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
    pressKey('b', wxMOD_ALT);
    EXPECT_EQ(harness.recorded.messages.size(), 1u);
    EXPECT_EQ(harness.recorded.endRequests, 1);
    EXPECT_EQ(enterpriseRecords(file),
              "<ticariKazanclar><ticariKazanc><unvani>Birinci</unvani><verilenEk>802</verilenEk>"
              "</ticariKazanc><ticariKazanc><unvani>Yeni Ortak</unvani>"
              "<faaliyetKonusu>Kirtasiye perakende ticareti</faaliyetKonusu>"
              "<verilenEk>802</verilenEk><payOrani>50</payOrani><kar>1500.25</kar>"
              "<kgv>10</kgv></ticariKazanc></ticariKazanclar>");
    EXPECT_FALSE(fs::exists(harness.declarationFor(info, 'D')));
}

// A failed run shows its message with the cause, ends the program and leaves no file.
TEST(RunButtonTest, AFailedRunShowsItsMessageAndEnds) {
    WindowHarness harness;
    const std::string example = test::readBytes(fs::path(KOVREL_EXAMPLES) / "gelir" / "beyan.txt");
    // A body record with fewer fields than its mapping reads, on the line after the example's.
    const std::string info = harness.writeInfoFile(example + test::record({"1", "100"}) + "\r\n");
    const auto line = std::count(example.begin(), example.end(), '\n') + 1;
    ui::FormMain& window = harness.start(info);
    focusOn(window.cboDrive);
    pressKey('b', wxMOD_ALT);

    EXPECT_TRUE(window.ended());
    ASSERT_EQ(harness.recorded.messages.size(), 1u);
    EXPECT_EQ(harness.recorded.messages[0].text, messages::kRunFailed);
    EXPECT_EQ(harness.recorded.messages[0].icon, ui::MessageIcon::Critical);
    EXPECT_NE(harness.recorded.messages[0].cause.find("line " + std::to_string(line)),
              std::string::npos);
    EXPECT_FALSE(fs::exists(harness.declarationFor(info)));
}

}  // namespace
}  // namespace kovrel::uitest
