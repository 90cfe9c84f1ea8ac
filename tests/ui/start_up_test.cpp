#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "window_harness.h"

namespace kovrel::uitest {
namespace {

namespace fs = std::filesystem;

struct StartCase {
    const char* name;
    const char* commandLine;
    std::optional<std::string> answer;  // for the input box, when there is one
    const char* infoFilePath;           // what start-up settles on; empty when it ends
    const char* message;                // the one message shown, or null
    const char* title;
};

TEST(StartUpTest, FindsTheInfoFileOrEndsAsTheCommandLineAndTheInputBoxSay) {
    const StartCase cases[] = {
        {"trimmed command line", "  D:\\beyan.txt  ", {}, "D:\\beyan.txt", nullptr, nullptr},
        {"quoted path", "\"D:\\beyan.txt\"", {}, "D:\\beyan.txt", nullptr, nullptr},
        {"answer's first character", "", "d:\\dosyalar", "d:\\beyan.txt", nullptr, nullptr},
        {"input box cancelled", "", std::nullopt, "", nullptr, nullptr},
        {"empty answer", "", "", "", nullptr, nullptr},
        {"no such drive", "", "Q", "", "bilgi dosyası bulunamadı.", "Uyarı"},
        {"no such file", "D:\\yok\\beyan.txt", {}, "", "bilgi dosyası bulunamadı.", "Uyarı"},
        {"quotes inside the path",
         "\"D:\\bey\"an.txt\"",
         {},
         "",
         "bilgi dosyası bulunamadı.",
         "Uyarı"},
    };
    for (const StartCase& c : cases) {
        SCOPED_TRACE(c.name);
        WindowHarness harness;
        harness.copyExample("gelir");
        harness.recorded.answer = c.answer;
        const ui::FormMain& window = harness.start(c.commandLine);

        const bool asked = std::string(c.commandLine).empty();
        ASSERT_EQ(harness.recorded.inputs.size(), asked ? 1u : 0u);
        if (asked) {
            const ui::InputRequest& input = harness.recorded.inputs[0];
            EXPECT_EQ(input.prompt,
                      "Dosyanın olduğu sürücüyü aşağıdaki kutuya yazıp tamam düğmesine basınız.");
            EXPECT_EQ(input.title, "KOVREL");
            EXPECT_EQ(input.defaultAnswer, "A");
        }
        const bool ends = std::string(c.infoFilePath).empty();
        EXPECT_EQ(window.ended(), ends);
        EXPECT_EQ(harness.recorded.endRequests, ends ? 1 : 0);
        if (!ends) {
            EXPECT_EQ(window.infoFilePath(), c.infoFilePath);
        }
        if (c.message) {
            ASSERT_EQ(harness.recorded.messages.size(), 1u);
            EXPECT_EQ(harness.recorded.messages[0].text, c.message);
            EXPECT_EQ(harness.recorded.messages[0].title, c.title);
            EXPECT_EQ(harness.recorded.messages[0].icon, ui::MessageIcon::Critical);
        } else {
            EXPECT_TRUE(harness.recorded.messages.empty());
        }
    }
}

TEST(StartUpTest, FillsTheWindowFromTheHeader) {
    WindowHarness harness;
    const ui::FormMain& window = harness.load(harness.copyExample("gelir-ozet"));
    ASSERT_FALSE(window.ended());

    // The example's lines 10 and 11, code page 857 letters mapped.
    EXPECT_EQ(window.txtUnvan->GetValue().utf8_string(), "Öztürk Bakkaliye");
    EXPECT_EQ(window.txtFaaliyetK->GetValue().utf8_string(), "Gida perakende");
    for (const wxTextCtrl* field : {window.txtUnvan, window.txtFaaliyetK}) {
        long from = -1, to = -1;
        field->GetSelection(&from, &to);
        EXPECT_EQ(from, 0);
        EXPECT_EQ(to, static_cast<long>(field->GetValue().length()));
    }
    // Shown, the first key typed into such a field replaces its text.
    harness.show();
    focusOn(window.txtFaaliyetK);
    typeKeys("x");
    EXPECT_EQ(window.txtFaaliyetK->GetValue(), "x");
    EXPECT_EQ(window.lblTIP->GetLabel(), "GELIR");  // GELIR-OZET is an income tax return

    std::string note = window.lblDESC->GetLabel().utf8_string();
    std::replace(note.begin(), note.end(), '\n', ' ');  // the label's own line breaks
    EXPECT_EQ(note,
              "YTL çevriminden dolayı Bilanço ve Gelir Tablosunda kuruş farklılıkları olmaktadır. "
              "Bundan dolayı grup toplamları transfer edilmemiştir. Bilançodaki Aktifteki Hazır "
              "Değerler, Pasifteki Kısa Vadeli Yabancı Kaynaklar ve Gelir Tablosundaki Brüt "
              "Satışlar kısmında \"?\" alanlarını SİLEREK Enter' a basın. EBYN programı grup "
              "hesapları otomatik olarak hesaplayacaktır. Aktif ve Pasif toplamları kontrol "
              "ediniz, fark var ise farkı herhangi bir hesaba ilave edip farkı kapatın.");
}

TEST(StartUpTest, ListsTheDrivesThatHoldAnEbynFolderInLetterOrder) {
    WindowHarness harness("dcef");
    fs::remove(harness.drive.rootOf('e') / "ebyn");
    const ui::FormMain& window = harness.start(harness.copyExample("kurumlar"));
    ASSERT_FALSE(window.ended());
    ASSERT_EQ(window.cboDrive->GetCount(), 3u);
    EXPECT_EQ(window.cboDrive->GetString(0), "C");
    EXPECT_EQ(window.cboDrive->GetString(1), "D");
    EXPECT_EQ(window.cboDrive->GetString(2), "F");
    EXPECT_EQ(window.cboDrive->GetSelection(), 0);
    EXPECT_TRUE(window.lblXMLF->GetLabel().StartsWith("C:\\ebyn\\beyannameler\\"));
}

TEST(StartUpTest, WithoutAnEbynFolderFallsBackToDriveCOrEnds) {
    {
        WindowHarness harness("dc");
        fs::remove(harness.drive.rootOf('c') / "ebyn");
        fs::remove(harness.drive.rootOf('d') / "ebyn");
        const ui::FormMain& window = harness.start(harness.copyExample("gelir"));
        ASSERT_FALSE(window.ended());
        ASSERT_EQ(window.cboDrive->GetCount(), 1u);
        EXPECT_EQ(window.cboDrive->GetStringSelection(), "C");
        EXPECT_TRUE(window.lblXMLF->GetLabel().StartsWith("C:\\ebyn\\"));
    }
    WindowHarness harness("d");
    fs::remove(harness.drive.rootOf('d') / "ebyn");
    const ui::FormMain& window = harness.start(harness.copyExample("gelir"));
    EXPECT_TRUE(window.ended());
    ASSERT_EQ(harness.recorded.messages.size(), 1u);
    EXPECT_EQ(harness.recorded.messages[0].title, "KOVREL");
    EXPECT_EQ(harness.recorded.messages[0].icon, ui::MessageIcon::Critical);
}

TEST(StartUpTest, AHeaderTooShortOrAnUnreadableDeclarationEndsWithTheReadMessageAndItsCause) {
    test::InfoHeader header;
    auto lines = header.lines();
    lines.resize(5);
    const std::string shortHeader = test::infoFileText(lines);

    for (const bool badDeclaration : {false, true}) {
        SCOPED_TRACE(badDeclaration ? "enterprise without a title" : "short header");
        WindowHarness harness;
        const std::string info =
            harness.writeInfoFile(badDeclaration ? test::infoFileText(header, {}) : shortHeader);
        if (badDeclaration) {
            test::writeBytes(harness.declarationFor(info),
                             "<beyanname><ozel><kazancDetay><ticariKazancBildirimi>"
                             "<ticariKazanclar><ticariKazanc/></ticariKazanclar>"
                             "</ticariKazancBildirimi></kazancDetay></ozel></beyanname>");
        }
        const ui::FormMain& window = harness.start(info);
        EXPECT_TRUE(window.ended());
        ASSERT_EQ(harness.recorded.messages.size(), 1u);
        const ui::MessageRequest& shown = harness.recorded.messages[0];
        EXPECT_EQ(shown.text, "XML dosya okunurken hata oluştu.");
        EXPECT_EQ(shown.title, "KOVREL");
        EXPECT_EQ(shown.icon, ui::MessageIcon::Critical);
        EXPECT_FALSE(shown.cause.empty());
    }
}

}  // namespace
}  // namespace kovrel::uitest
