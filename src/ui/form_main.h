#pragma once

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "conversion/run_choices.h"
#include "infofile/declaration_header.h"
#include "ui/dialogs.h"
#include "ui/twips.h"

namespace kovrel::ui {

// Heights of the whole window in twips, as the target-file display sets them.
inline constexpr int kHeightAfterStartUp = 3735;
inline constexpr int kHeightNewEnterprise = 6000;
inline constexpr int kHeightCorporateTax = 4425;
// The caption and borders take this much of a window's height.
inline constexpr int kNonClientHeight = 480;
inline constexpr int kClientWidth = 7200;

// The program's one window. Controls keep their design names; handlers are plain member
// functions that the toolkit's events call and that tests may call directly.
class FormMain : public wxFrame {
  public:
    // commandLine is the program's command line after its name, untrimmed.
    FormMain(Dialogs dialogs, std::string commandLine);

    // Start-up: fills the window before it is first shown; may end the program.
    void Form_Load();
    void Form_Activate();
    void cboDrive_Click();
    void optFO_Click(int index);
    void cboORT_Click();
    void cmdContinue_Click();
    void txtUnvan_KeyPress(int keyAscii);
    void txtFaaliyetK_KeyPress(int keyAscii);
    void txtPayOrani_KeyPress(int keyAscii);
    void txtKar_KeyPress(int keyAscii);
    void txtZarar_KeyPress(int keyAscii);
    void txtKGV_KeyPress(int keyAscii);
    void txtKar_Change();
    void txtZarar_Change();

    // Shows the target file for the chosen drive and arranges the window for it. Reads the
    // declaration but never writes it. Throws Error when the file cannot be read or an
    // enterprise's title cannot be taken.
    void refreshTargetFile();

    // Selecting from the program runs the control's handler, once, as a user's selection does.
    void selectDrive(int index);
    void selectEnterprise(int index);
    void selectOption(int index);

    bool ended() const { return ended_; }
    int windowHeightTwips() const { return heightTwips_; }
    const TwipScale& scale() const { return scale_; }
    // Lays the window out again for a monitor of another DPI (wxEVT_DPI_CHANGED), keeping its
    // centre where it was.
    void onDpiChanged(const wxSize& dpi);
    const infofile::DeclarationHeader& header() const { return header_; }
    const std::string& infoFilePath() const { return infoFilePath_; }
    bool focusTitlePending() const { return focusTitlePending_; }
    // The enterprise list maps to what a run is asked for here, both ways: the entry of a
    // choice (wxNOT_FOUND when the list lacks it), and the choice of the selected entry (nothing
    // for the empty entry).
    int listIndexOf(const conversion::EnterpriseChoice& choice) const;
    std::optional<conversion::EnterpriseChoice> chosenEnterprise() const;
    // Where a control stands, in twips, relative to the window's client area or its frame.
    int topTwips(const wxWindow* control) const;

    wxStaticBox* fraXMLFILE = nullptr;
    wxStaticText* Label1 = nullptr;
    wxStaticText* Label2 = nullptr;
    wxChoice* cboDrive = nullptr;
    wxStaticText* lblXMLF = nullptr;
    std::array<wxRadioButton*, 2> optFO{};
    wxStaticText* lblTIP = nullptr;
    wxStaticBox* fraCBO = nullptr;
    wxStaticText* lblInfo = nullptr;
    wxChoice* cboORT = nullptr;
    wxStaticBox* fraINFO = nullptr;
    wxStaticText* lblCAPTION = nullptr;
    wxStaticText* lblDESC = nullptr;
    wxStaticBox* fraNew = nullptr;
    std::array<wxStaticText*, 10> lblLabels{};  // indices 0, 1, 3, 4, 7, 8 and 9
    wxTextCtrl* txtUnvan = nullptr;
    wxTextCtrl* txtFaaliyetK = nullptr;
    wxTextCtrl* txtVerilenEk = nullptr;
    wxTextCtrl* txtPayOrani = nullptr;
    wxTextCtrl* txtKar = nullptr;
    wxTextCtrl* txtZarar = nullptr;
    wxTextCtrl* txtKGV = nullptr;
    wxButton* cmdContinue = nullptr;

  private:
    struct Placement {
        wxWindow* control;
        wxStaticBox* frame;  // null for a control on the window itself
        int left, top, width, height;
    };

    void loadWindow();
    std::optional<conversion::EnterpriseListing> listEnterprises(const std::string& path);
    void offerEnterprises(const conversion::EnterpriseListing& listing);
    void createControls();
    template <typename Handler>
    auto guarded(Handler handler);
    void bindHandlers();
    TwipScale measureScale(const wxSize& dpi);
    void fitWindow();
    void placeAll();
    void place(const Placement& placement);
    Placement& placementOf(const wxWindow* control);
    void setTop(wxWindow* control, int topTwips);
    void showFrame(wxStaticBox* frame, bool show);
    void setWindowHeight(int twips);
    void setDescription(const wxString& text);
    void moveFocus(wxWindow* control);
    void onEnter(int keyAscii, wxWindow* next);
    void normalizeWhileTyping(wxTextCtrl* field);
    void fail(const std::string& text, const std::string& cause, const std::string& title);
    void endProgram();

    Dialogs dialogs_;
    std::string commandLine_;
    infofile::DeclarationHeader header_;
    std::string infoFilePath_;
    bool focusTitlePending_ = false;
    bool ended_ = false;
    int heightTwips_ = kClientWidth;
    TwipScale scale_;
    wxString description_;  // lblDESC's note before wrapping
    wxPanel* panel_ = nullptr;
    std::vector<Placement> placements_;
};

}  // namespace kovrel::ui
