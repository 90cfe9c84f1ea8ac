#include "ui/dialogs.h"

#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/textdlg.h>
#include <wx/toplevel.h>

#include <memory>
#include <utility>
#include <vector>

#include "ui/window_texts.h"

namespace kovrel::ui {
namespace {

// A dialog without a shown owner would open behind the topmost main window.
wxWindow* shownOwner() {
    wxWindow* top = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    return top && top->IsShown() ? top : nullptr;
}

}  // namespace

std::unique_ptr<wxMessageDialog> makeMessageBox(const MessageRequest& request) {
    const long icon = request.icon == MessageIcon::Critical  ? wxICON_ERROR
                      : request.icon == MessageIcon::Warning ? wxICON_WARNING
                                                             : wxICON_INFORMATION;
    auto box = std::make_unique<wxMessageDialog>(shownOwner(), wxString::FromUTF8(request.text),
                                                 wxString::FromUTF8(request.title),
                                                 wxOK | icon | wxSTAY_ON_TOP);
    // The toolkit's own label follows the system's language; ours are Turkish everywhere.
    box->SetOKLabel(wxString::FromUTF8(texts::kOk));
    if (!request.cause.empty())
        box->SetExtendedMessage(wxString::FromUTF8(request.cause));
    return box;
}

std::unique_ptr<wxTextEntryDialog> makeInputBox(const InputRequest& request) {
    auto box = std::make_unique<wxTextEntryDialog>(
        shownOwner(), wxString::FromUTF8(request.prompt), wxString::FromUTF8(request.title),
        wxString::FromUTF8(request.defaultAnswer), wxTextEntryDialogStyle | wxSTAY_ON_TOP);
    const std::pair<int, const char*> labels[] = {{wxID_OK, texts::kOk},
                                                  {wxID_CANCEL, texts::kCancel}};
    for (const auto& [id, label] : labels) {
        if (wxWindow* button = box->FindWindow(id))
            button->SetLabel(wxString::FromUTF8(label));
    }
    return box;
}

Dialogs toolkitDialogs() {
    Dialogs dialogs;
    dialogs.showMessage = [](const MessageRequest& request) {
        makeMessageBox(request)->ShowModal();
    };
    dialogs.askText = [](const InputRequest& request) -> std::optional<std::string> {
        const auto box = makeInputBox(request);
        if (box->ShowModal() != wxID_OK)
            return std::nullopt;
        return box->GetValue().utf8_string();
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
