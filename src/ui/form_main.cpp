#include "ui/form_main.h"

#include <wx/gdicmn.h>
#include <wx/iconbndl.h>

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <utility>

#include "platform/messages.h"
#include "ui/res/kovrel16.xpm"
#include "ui/res/kovrel32.xpm"
#include "ui/start_up.h"
#include "ui/window_texts.h"

namespace kovrel::ui {
namespace {

constexpr long kFrameStyle = wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxSTAY_ON_TOP;
constexpr long kLabelStyle = wxST_NO_AUTORESIZE;

wxString text(const char* utf8) {
    return wxString::FromUTF8(utf8);
}

// A field of the Enter circle: the field itself gets the Enter key (a Win32 dialog would
// otherwise take it for its default button) and passes it on to the key-press handler.
wxTextCtrl* enterField(wxWindow* parent) {
    return new wxTextCtrl(parent, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                          wxTE_PROCESS_ENTER);
}

// Label1 and lblTIP: bold MS Sans Serif 8.25 with the Turkish character set where that font
// exists; elsewhere the window's own font, bold.
wxFont boldLabelFont(const wxFont& windowFont) {
#ifdef __WXMSW__
    (void)windowFont;
    return wxFont(
        wxFontInfo(8.25).FaceName("MS Sans Serif").Bold().Encoding(wxFONTENCODING_CP1254));
#else
    return windowFont.Bold();
#endif
}

}  // namespace

FormMain::FormMain(Dialogs dialogs, std::string commandLine)
    : wxFrame(nullptr, wxID_ANY, text(texts::kCaption), wxDefaultPosition, wxDefaultSize,
              kFrameStyle),
      dialogs_(std::move(dialogs)),
      commandLine_(std::move(commandLine)) {
    wxIconBundle icons;
    icons.AddIcon(wxIcon(kovrel32_xpm));
    icons.AddIcon(wxIcon(kovrel16_xpm));
    SetIcons(icons);

    panel_ = new wxPanel(this, wxID_ANY);
    createControls();
    bindHandlers();
    // The monitor's DPI, as this window has it: the program declares itself aware of each
    // monitor's scale, so that nothing is stretched as a bitmap.
    scale_ = measureScale(GetDPI());
    placeAll();
    setWindowHeight(kHeightNewEnterprise);
    Bind(wxEVT_DPI_CHANGED, [this](wxDPIChangedEvent& event) { onDpiChanged(event.GetNewDPI()); });
}

void FormMain::createControls() {
    wxWindow* p = panel_;
    // Frames first, so that the controls drawn inside them stay above them.
    fraXMLFILE = new wxStaticBox(p, wxID_ANY, wxString());
    fraCBO = new wxStaticBox(p, wxID_ANY, text(texts::kFrameEnterprises));
    fraINFO = new wxStaticBox(p, wxID_ANY, wxString());
    fraNew = new wxStaticBox(p, wxID_ANY, text(texts::kFrameNewRecord));

    Label1 = new wxStaticText(p, wxID_ANY, text(texts::kLabelFile), wxDefaultPosition,
                              wxDefaultSize, kLabelStyle);
    Label2 = new wxStaticText(p, wxID_ANY, text(texts::kLabelDrive), wxDefaultPosition,
                              wxDefaultSize, kLabelStyle);
    lblXMLF = new wxStaticText(p, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                               kLabelStyle | wxST_ELLIPSIZE_MIDDLE);
    lblTIP =
        new wxStaticText(p, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, kLabelStyle);
    lblInfo = new wxStaticText(p, wxID_ANY, text(texts::kLabelEnterprise), wxDefaultPosition,
                               wxDefaultSize, kLabelStyle);
    lblCAPTION = new wxStaticText(p, wxID_ANY, text(texts::kLabelNote), wxDefaultPosition,
                                  wxDefaultSize, kLabelStyle);
    lblDESC =
        new wxStaticText(p, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, kLabelStyle);
    const std::pair<std::size_t, const char*> labels[] = {
        {0, texts::kLabelTitle},       {1, texts::kLabelActivity}, {3, texts::kLabelAttachment},
        {4, texts::kLabelShare},       {7, texts::kLabelProfit},   {8, texts::kLabelLoss},
        {9, texts::kLabelWithheldTax},
    };
    for (const auto& [index, caption] : labels) {
        lblLabels[index] = new wxStaticText(p, wxID_ANY, text(caption), wxDefaultPosition,
                                            wxDefaultSize, kLabelStyle);
    }

    const wxFont bold = boldLabelFont(Label1->GetFont());
    Label1->SetFont(bold);
    lblTIP->SetFont(bold);
    lblCAPTION->SetForegroundColour(wxColour(255, 0, 0));

    // The focusable controls in their tab order (the toolkit follows the creation order).
    cboORT = new wxChoice(p, wxID_ANY);
    txtUnvan = enterField(p);
    txtFaaliyetK = enterField(p);
    txtVerilenEk = new wxTextCtrl(p, wxID_ANY, text(texts::kBalanceSheet), wxDefaultPosition,
                                  wxDefaultSize, wxTE_READONLY);
    txtPayOrani = enterField(p);
    txtKar = enterField(p);
    txtZarar = enterField(p);
    txtKGV = enterField(p);
    cmdContinue = new wxButton(p, wxID_ANY, text(texts::kButton));
    optFO[1] = new wxRadioButton(p, wxID_ANY, text(texts::kOptionCreate), wxDefaultPosition,
                                 wxDefaultSize, wxRB_GROUP);
    optFO[0] = new wxRadioButton(p, wxID_ANY, text(texts::kOptionAdd));
    optFO[0]->SetValue(true);
    cboDrive = new wxChoice(p, wxID_ANY);

    // Left, top, width and height in twips, inside the frame named.
    placements_ = {
        {fraXMLFILE, nullptr, 120, 120, 6975, 1550},  {Label1, fraXMLFILE, 135, 240, 4215, 255},
        {Label2, fraXMLFILE, 3600, 300, 2535, 255},   {cboDrive, fraXMLFILE, 6240, 240, 615, 315},
        {lblXMLF, fraXMLFILE, 120, 600, 6735, 255},   {optFO[0], fraXMLFILE, 120, 800, 4215, 375},
        {optFO[1], fraXMLFILE, 120, 1120, 4215, 375}, {lblTIP, fraXMLFILE, 4560, 1200, 2295, 255},
        {fraCBO, nullptr, 120, 1680, 6975, 915},      {lblInfo, fraCBO, 135, 240, 4215, 255},
        {cboORT, fraCBO, 120, 480, 6735, 315},        {fraINFO, nullptr, 120, 2640, 4455, 2235},
        {lblCAPTION, fraINFO, 120, 240, 4215, 255},   {lblDESC, fraINFO, 120, 480, 4215, 1575},
        {fraNew, nullptr, 120, 2640, 4455, 2715},     {lblLabels[0], fraNew, 135, 390, 1455, 255},
        {txtUnvan, fraNew, 1680, 360, 2655, 285},     {lblLabels[1], fraNew, 135, 705, 1455, 255},
        {txtFaaliyetK, fraNew, 1680, 675, 2655, 285}, {lblLabels[3], fraNew, 135, 1020, 1455, 255},
        {txtVerilenEk, fraNew, 1680, 990, 2655, 285}, {lblLabels[4], fraNew, 135, 1335, 1455, 255},
        {txtPayOrani, fraNew, 1680, 1305, 2655, 285}, {lblLabels[7], fraNew, 135, 1650, 1455, 255},
        {txtKar, fraNew, 1680, 1620, 2655, 285},      {lblLabels[8], fraNew, 135, 1965, 1455, 255},
        {txtZarar, fraNew, 1680, 1935, 2655, 285},    {lblLabels[9], fraNew, 135, 2280, 1455, 255},
        {txtKGV, fraNew, 1680, 2250, 2655, 285},      {cmdContinue, nullptr, 4680, 2760, 2415, 375},
    };
}

// A failure nothing foresaw (no memory left, say) ends the program with its message instead of
// an abort: the toolkit may be built without exceptions, so none may leave a handler.
template <typename Handler>
auto FormMain::guarded(Handler handler) {
    return [this, handler](auto& event) {
        try {
            handler(event);
        } catch (...) {
            fail(messages::kRunFailed, messages::causeOf(std::current_exception()),
                 messages::kTitle);
        }
    };
}

void FormMain::bindHandlers() {
    cboDrive->Bind(wxEVT_CHOICE, guarded([this](wxCommandEvent&) { cboDrive_Click(); }));
    cboORT->Bind(wxEVT_CHOICE, guarded([this](wxCommandEvent&) { cboORT_Click(); }));
    for (int index = 0; index < 2; ++index) {
        optFO[static_cast<std::size_t>(index)]->Bind(
            wxEVT_RADIOBUTTON, guarded([this, index](wxCommandEvent&) { optFO_Click(index); }));
    }
    cmdContinue->Bind(wxEVT_BUTTON, guarded([this](wxCommandEvent&) { cmdContinue_Click(); }));

    // The key is passed on untouched: the handlers only look at it.
    const auto onChar = [this](wxTextCtrl* field, void (FormMain::*handler)(int)) {
        field->Bind(wxEVT_CHAR, guarded([this, handler](wxKeyEvent& event) {
                        int code = event.GetUnicodeKey();
                        if (code == WXK_NONE)
                            code = event.GetKeyCode();
                        if (code == WXK_NUMPAD_ENTER)
                            code = WXK_RETURN;
                        (this->*handler)(code);
                        event.Skip();
                    }));
    };
    onChar(txtUnvan, &FormMain::txtUnvan_KeyPress);
    onChar(txtFaaliyetK, &FormMain::txtFaaliyetK_KeyPress);
    onChar(txtPayOrani, &FormMain::txtPayOrani_KeyPress);
    onChar(txtKar, &FormMain::txtKar_KeyPress);
    onChar(txtZarar, &FormMain::txtZarar_KeyPress);
    onChar(txtKGV, &FormMain::txtKGV_KeyPress);
    txtKar->Bind(wxEVT_TEXT, guarded([this](wxCommandEvent&) { txtKar_Change(); }));
    txtZarar->Bind(wxEVT_TEXT, guarded([this](wxCommandEvent&) { txtZarar_Change(); }));

    // Alt+B presses the button, as the access key of its caption promises, handled here so
    // that it works alike on every toolkit (GTK's own mnemonic did not reach the button in
    // this frame).
    Bind(wxEVT_CHAR_HOOK, guarded([this](wxKeyEvent& event) {
             if (event.GetModifiers() == wxMOD_ALT && event.GetKeyCode() == 'B' &&
                 cmdContinue->IsEnabled()) {
                 cmdContinue_Click();
                 return;
             }
             event.Skip();
         }));

    Bind(wxEVT_ACTIVATE, [this](wxActivateEvent& event) {
        if (event.GetActive() && !ended_)
            Form_Activate();
        event.Skip();
    });
}

// The design's sizes in pixels of this screen, stretched where this toolkit's controls need
// more room than the design gives them (GTK's text boxes and lists are much taller than
// Win32's, and its default font is wider), so that the layout stays as designed and nothing
// is clipped. Only what does not depend on the data shown is measured, so that the window
// measures alike at start-up and when it moves to a monitor of another DPI: the widths of fixed
// captions, text boxes and the drive list (single letters), and the heights of all.
TwipScale FormMain::measureScale(const wxSize& dpi) {
    const TwipScale design = makeTwipScale(dpi.x, dpi.y, 1, 1);
    const bool noDrives = cboDrive->IsEmpty();
    if (noDrives)
        cboDrive->Append("W");
    double stretchX = 1;
    double stretchY = 1;
    for (const auto& placement : placements_) {
        wxWindow* control = placement.control;
        if (control == fraXMLFILE || control == fraCBO || control == fraINFO || control == fraNew ||
            control == lblDESC)
            continue;
        const wxSize best = control->GetBestSize();
        if (control != lblXMLF && control != lblTIP && control != cboORT)
            stretchX = std::max(stretchX, best.x / (placement.width * design.pixelsPerTwipX));
        stretchY = std::max(stretchY, best.y / (placement.height * design.pixelsPerTwipY));
    }
    if (noDrives)
        cboDrive->Clear();
    TwipScale scale = makeTwipScale(dpi.x, dpi.y, stretchX, stretchY);

    // The note must fit its label once wrapped at the label's width; the label's height is
    // rounded to pixels, so it is given half a pixel more than the note needs.
    const Placement& desc = placementOf(lblDESC);
    lblDESC->SetLabel(wxString::FromUTF8(texts::kYtlNote));
    lblDESC->Wrap(scale.x(desc.width));
    // A label that does not resize itself keeps the best size of its first text otherwise.
    lblDESC->InvalidateBestSize();
    const int needed = lblDESC->GetBestSize().y;
    if (needed > scale.y(desc.height)) {
        stretchY *= (needed + 0.5) / (desc.height * scale.pixelsPerTwipY);
        scale = makeTwipScale(dpi.x, dpi.y, stretchX, stretchY);
    }
    lblDESC->SetLabel(description_);
    return scale;
}

void FormMain::onDpiChanged(const wxSize& dpi) {
    const wxPoint centre = GetRect().GetPosition() + GetSize() / 2;
    scale_ = measureScale(dpi);
    placeAll();
    setDescription(description_);
    fitWindow();
    Move(centre - GetSize() / 2);
}

FormMain::Placement& FormMain::placementOf(const wxWindow* control) {
    const auto found = std::find_if(placements_.begin(), placements_.end(),
                                    [control](const Placement& p) { return p.control == control; });
    if (found == placements_.end())
        throw std::logic_error("control without a place");
    return *found;
}

int FormMain::topTwips(const wxWindow* control) const {
    for (const auto& placement : placements_) {
        if (placement.control == control)
            return placement.top;
    }
    return -1;
}

void FormMain::place(const Placement& placement) {
    int left = placement.left;
    int top = placement.top;
    if (placement.frame) {
        const Placement& frame = placementOf(placement.frame);
        left += frame.left;
        top += frame.top;
    }
    placement.control->SetSize(scale_.x(left), scale_.y(top), scale_.x(placement.width),
                               scale_.y(placement.height));
}

void FormMain::placeAll() {
    for (const auto& placement : placements_)
        place(placement);
}

void FormMain::setTop(wxWindow* control, int topTwips) {
    placementOf(control).top = topTwips;
    for (const auto& placement : placements_) {
        if (placement.control == control || placement.frame == control)
            place(placement);
    }
    fitWindow();
}

void FormMain::showFrame(wxStaticBox* frame, bool show) {
    frame->Show(show);
    for (const auto& placement : placements_) {
        if (placement.frame == frame)
            placement.control->Show(show);
    }
    fitWindow();
}

void FormMain::setWindowHeight(int twips) {
    heightTwips_ = twips;
    fitWindow();
}

// The client area of the height set, and at least as high as the lowest frame shown plus the
// margin the frames keep on the left: the corporate tax note's frame ends exactly at the
// designed height, where its lower line would be cut.
void FormMain::fitWindow() {
    constexpr int kMargin = 120;
    int height = scale_.y(heightTwips_ - kNonClientHeight);
    for (const auto& placement : placements_) {
        if (placement.frame == nullptr && placement.control->IsKindOf(wxCLASSINFO(wxStaticBox)) &&
            placement.control->IsShown()) {
            height = std::max(height, scale_.y(placement.top + placement.height + kMargin));
        }
    }
    SetClientSize(scale_.x(kClientWidth), height);
}

void FormMain::setDescription(const wxString& note) {
    description_ = note;
    lblDESC->SetLabel(note);
    lblDESC->Wrap(scale_.x(placementOf(lblDESC).width));
}

// A focus move asked for before the window is first shown is not carried out; the first
// activation makes up for it.
void FormMain::moveFocus(wxWindow* control) {
    if (IsShown())
        control->SetFocus();
}

void FormMain::selectDrive(int index) {
    cboDrive->SetSelection(index);
    cboDrive_Click();
}

void FormMain::selectEnterprise(int index) {
    cboORT->SetSelection(index);
    cboORT_Click();
}

void FormMain::selectOption(int index) {
    optFO[static_cast<std::size_t>(index)]->SetValue(true);
    optFO_Click(index);
}

void FormMain::fail(const std::string& message, const std::string& cause,
                    const std::string& title) {
    dialogs_.showMessage({message, cause, title, MessageIcon::Critical});
    endProgram();
}

void FormMain::endProgram() {
    if (ended_)
        return;
    ended_ = true;
    dialogs_.endProgram();
}

}  // namespace kovrel::ui
