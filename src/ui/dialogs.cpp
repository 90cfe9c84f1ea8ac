#include "ui/dialogs.h"

#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/textdlg.h>
#include <wx/toplevel.h>

#include <vector>

namespace kovrel::ui {
namespace {

// A dialog without a shown owner would open behind the topmost main window.
wxWindow* shownOwner() {
    wxWindow* top = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    return top && top->IsShown() ? top : nullptr;
}

}  // namespace

Dialogs toolkitDialogs() {
    Dialogs dialogs;
    dialogs.showMessage = [](const MessageRequest& request) {
        const long icon = request.icon == MessageIcon::Critical ? wxICON_ERROR : wxICON_INFORMATION;
        wxMessageDialog box(shownOwner(), wxString::FromUTF8(request.text),
                            wxString::FromUTF8(request.title), wxOK | icon | wxSTAY_ON_TOP);
        if (!request.cause.empty())
            box.SetExtendedMessage(wxString::FromUTF8(request.cause));
        box.ShowModal();
    };
    dialogs.askText = [](const InputRequest& request) -> std::optional<std::string> {
        wxTextEntryDialog box(
            shownOwner(), wxString::FromUTF8(request.prompt), wxString::FromUTF8(request.title),
            wxString::FromUTF8(request.defaultAnswer), wxTextEntryDialogStyle | wxSTAY_ON_TOP);
        if (box.ShowModal() != wxID_OK)
            return std::nullopt;
        return box.GetValue().utf8_string();
    };
    dialogs.endProgram = [] {
        // Before the main loop has started this only marks the window for deletion; the
        // program entry sees the ended window and does not start the loop.
        const std::vector<wxWindow*> windows(wxTopLevelWindows.begin(), wxTopLevelWindows.end());
        for (wxWindow* window : windows)
            window->Destroy();
        if (wxTheApp)
            wxTheApp->ExitMainLoop();
    };
    return dialogs;
}

}  // namespace kovrel::ui
