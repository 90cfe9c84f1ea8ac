#include <gtest/gtest.h>
#include <wx/display.h>

#include "window_harness.h"

namespace kovrel::uitest {
namespace {

using conversion::Mode;

// The three layouts the target-file display sets, each on its own drive.
class LayoutTest : public testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        const std::string layout = GetParam();
        const std::string info = harness.copyExample(layout == "corporate" ? "kurumlar" : "gelir");
        if (layout != "corporate")
            harness.convert(info, Mode::CreateNew, "Birinci Şube");
        window = &harness.start(info);
        ASSERT_FALSE(window->ended());
        if (layout == "new record")
            window->selectEnterprise(0);
        pump();
    }

    WindowHarness harness;
    ui::FormMain* window = nullptr;
};

struct Place {
    wxWindow* control;
    wxWindow* frame;
    int left, top, width, height;
};

TEST_P(LayoutTest, ControlsStandWhereTheDesignPutsThemAndNothingIsClipped) {
    ui::FormMain& w = *window;
    const bool corporate = std::string(GetParam()) == "corporate";
    const Place places[] = {
        {w.fraXMLFILE, nullptr, 120, 120, 6975, 1550},
        {w.Label1, w.fraXMLFILE, 135, 240, 4215, 255},
        {w.Label2, w.fraXMLFILE, 3600, 300, 2535, 255},
        {w.cboDrive, w.fraXMLFILE, 6240, 240, 615, 315},
        {w.lblXMLF, w.fraXMLFILE, 120, 600, 6735, 255},
        {w.optFO[0], w.fraXMLFILE, 120, 800, 4215, 375},
        {w.optFO[1], w.fraXMLFILE, 120, 1120, 4215, 375},
        {w.lblTIP, w.fraXMLFILE, 4560, 1200, 2295, 255},
        {w.fraCBO, nullptr, 120, 1680, 6975, 915},
        {w.lblInfo, w.fraCBO, 135, 240, 4215, 255},
        {w.cboORT, w.fraCBO, 120, 480, 6735, 315},
        {w.fraINFO, nullptr, 120, corporate ? 1710 : 2640, 4455, 2235},
        {w.lblCAPTION, w.fraINFO, 120, 240, 4215, 255},
        {w.lblDESC, w.fraINFO, 120, 480, 4215, 1575},
        {w.fraNew, nullptr, 120, 2640, 4455, 2715},
        {w.lblLabels[0], w.fraNew, 135, 390, 1455, 255},
        {w.txtUnvan, w.fraNew, 1680, 360, 2655, 285},
        {w.lblLabels[1], w.fraNew, 135, 705, 1455, 255},
        {w.txtFaaliyetK, w.fraNew, 1680, 675, 2655, 285},
        {w.lblLabels[3], w.fraNew, 135, 1020, 1455, 255},
        {w.txtVerilenEk, w.fraNew, 1680, 990, 2655, 285},
        {w.lblLabels[4], w.fraNew, 135, 1335, 1455, 255},
        {w.txtPayOrani, w.fraNew, 1680, 1305, 2655, 285},
        {w.lblLabels[7], w.fraNew, 135, 1650, 1455, 255},
        {w.txtKar, w.fraNew, 1680, 1620, 2655, 285},
        {w.lblLabels[8], w.fraNew, 135, 1965, 1455, 255},
        {w.txtZarar, w.fraNew, 1680, 1935, 2655, 285},
        {w.lblLabels[9], w.fraNew, 135, 2280, 1455, 255},
        {w.txtKGV, w.fraNew, 1680, 2250, 2655, 285},
        {w.cmdContinue, nullptr, 4680, corporate ? 1800 : 2760, 2415, 375},
    };
    const ui::TwipScale& scale = w.scale();
    const wxRect client(w.GetClientSize());
    EXPECT_EQ(client.width, scale.x(7200));
    EXPECT_EQ(client.height, scale.y(w.windowHeightTwips() - 480));
    int shown = 0;
    for (const Place& place : places) {
        if (!place.control->IsShownOnScreen())
            continue;
        ++shown;
        SCOPED_TRACE(wxString(place.control->GetClassInfo()->GetClassName()).utf8_string() + " " +
                     place.control->GetLabel().utf8_string());
        int left = place.left, top = place.top;
        for (const Place& frame : places) {
            if (frame.control != place.frame)
                continue;
            left += frame.left;
            top += frame.top;
        }
        const wxRect rect = place.control->GetRect();
        EXPECT_EQ(rect,
                  wxRect(scale.x(left), scale.y(top), scale.x(place.width), scale.y(place.height)));
        EXPECT_TRUE(client.Contains(rect));
        if (place.frame) {
            EXPECT_TRUE(place.frame->GetRect().Contains(rect));
        }
        if (place.control == w.lblDESC) {
            continue;  // wrapped to its width: checked below
        }
        const wxSize best = place.control->GetBestSize();
        EXPECT_GE(rect.width, best.x);
        EXPECT_GE(rect.height, best.y);
    }
    EXPECT_EQ(shown, std::string(GetParam()) == "new record" ? 27 : 12);
    if (corporate) {
        EXPECT_GE(w.lblDESC->GetSize().y, w.lblDESC->GetBestSize().y);
    }
}

INSTANTIATE_TEST_SUITE_P(ThreeLayouts, LayoutTest,
                         testing::Values("existing enterprise", "new record", "corporate"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::erase(name, ' ');
                             return name;
                         });

TEST(WindowTest, CaptionsFontsAndTheWindowItself) {
    WindowHarness harness;
    harness.convert(harness.copyExample("gelir"), Mode::CreateNew, "Birinci");
    ui::FormMain& w = harness.start("D:\\beyan.txt");
    ASSERT_FALSE(w.ended());

    const std::pair<wxWindow*, const char*> captions[] = {
        {&w, "Kovrel - v1.01"},
        {w.Label1, "XML dosya adı:"},
        {w.Label2, "ebyn klasörünün bulunduğu sürücü:"},
        {w.optFO[0], "Varolan dosyaya ekleme yap."},
        {w.optFO[1], "Dosyayı sıfırdan oluştur."},
        {w.fraCBO, "Ticari Kazançlara İlişkin Bildirim"},
        {w.lblInfo, "Teşebbüs veya Ortaklığın Unvanı:"},
        {w.fraINFO, ""},
        {w.fraXMLFILE, ""},
        {w.lblCAPTION, "ÖNEMLİ NOT:"},
        {w.fraNew, "Yeni Teşebbüs veya Ortaklık Kaydı"},
        {w.lblLabels[0], "Unvan:"},
        {w.lblLabels[1], "Faaliyet Konusu:"},
        {w.lblLabels[3], "Verilen Ek:"},
        {w.lblLabels[4], "Pay Oranı:"},
        {w.lblLabels[7], "Kar:"},
        {w.lblLabels[8], "Zarar:"},
        {w.lblLabels[9], "Kesilen Gelir Vergisi:"},
        {w.cmdContinue, "İşlemi &Başlat"},
    };
    for (const auto& [control, caption] : captions)
        EXPECT_EQ(control->GetLabel().utf8_string(), caption);
    EXPECT_EQ(w.txtVerilenEk->GetValue().utf8_string(), "Bilanço");
    EXPECT_FALSE(w.txtVerilenEk->IsEditable());
    for (const wxTextCtrl* field : {w.txtPayOrani, w.txtKar, w.txtZarar, w.txtKGV})
        EXPECT_TRUE(field->IsEmpty());

    for (wxWindow* label : {w.Label1, w.lblTIP})
        EXPECT_EQ(label->GetFont().GetWeight(), wxFONTWEIGHT_BOLD);
    for (wxWindow* label : {w.Label2, w.lblInfo, w.lblDESC, w.lblLabels[0]})
        EXPECT_NE(label->GetFont().GetWeight(), wxFONTWEIGHT_BOLD);
    EXPECT_EQ(w.lblCAPTION->GetForegroundColour(), wxColour(255, 0, 0));

    const long style = w.GetWindowStyleFlag();
    EXPECT_FALSE(style & (wxMINIMIZE_BOX | wxMAXIMIZE_BOX | wxRESIZE_BORDER));
    EXPECT_TRUE(style & wxSTAY_ON_TOP);
    EXPECT_TRUE(w.GetIcons().GetIcon(16, wxIconBundle::FALLBACK_NONE).IsOk());
    EXPECT_TRUE(w.GetIcons().GetIcon(32, wxIconBundle::FALLBACK_NONE).IsOk());
    const wxRect screen = wxDisplay(0u).GetClientArea();
    const wxPoint centre = w.GetScreenRect().GetPosition() + w.GetSize() / 2;
    const wxPoint screenCentre = screen.GetPosition() + screen.GetSize() / 2;
    EXPECT_LE(std::abs(centre.x - screenCentre.x), 1);
    EXPECT_LE(std::abs(centre.y - screenCentre.y), 1);
}

TEST(WindowTest, TabVisitsTheControlsInTheirTabOrder) {
    WindowHarness harness("de");
    const std::string info = harness.copyExample("gelir");
    harness.convert(info, Mode::CreateNew, "Birinci", 'D');
    harness.convert(info, Mode::CreateNew, "Birinci", 'E');
    ui::FormMain& w = harness.start(info);
    w.selectEnterprise(0);  // every control shown and enabled
    const wxWindow* order[] = {w.txtUnvan, w.txtFaaliyetK, w.txtVerilenEk, w.txtPayOrani, w.txtKar,
                               w.txtZarar, w.txtKGV,       w.cmdContinue,  w.optFO[0]};
    focusOn(w.cboORT);
    for (const wxWindow* next : order) {
        pressKey(WXK_TAB);
        EXPECT_EQ(wxWindow::FindFocus(), next) << "Tab number " << (&next - order) + 1;
    }
    // The toolkit does not tell which drop-down list has the focus; a key shows it.
    pressKey(WXK_TAB);
    pressKey(WXK_END);
    EXPECT_EQ(w.cboDrive->GetStringSelection(), "E");
    pressKey(WXK_TAB);
    pressKey(WXK_HOME);
    EXPECT_EQ(w.cboORT->GetSelection(), 0);
    EXPECT_EQ(wxWindow::FindFocus(), w.txtUnvan);  // "Yeni Kayıt" moves it there
}

}  // namespace
}  // namespace kovrel::uitest
