// Times the window's start-up as the user meets it: from the program's start to the window
// shown with the enterprise list filled. Messages are printed instead of shown, so that nothing
// waits for a person.
#include <wx/app.h>

#include <chrono>
#include <cstdio>

#include "ui/dialogs.h"
#include "ui/form_main.h"

namespace {

const auto kProcessStart = std::chrono::steady_clock::now();

kovrel::ui::Dialogs printingDialogs() {
    kovrel::ui::Dialogs dialogs;
    dialogs.showMessage = [](const kovrel::ui::MessageRequest& request) {
        std::fprintf(stderr, "message: %s %s\n", request.text.c_str(), request.cause.c_str());
    };
    dialogs.askText = [](const kovrel::ui::InputRequest&) { return std::optional<std::string>(); };
    dialogs.endProgram = [] {};
    return dialogs;
}

class StartupBench : public wxApp {
  public:
    bool OnInit() override {
        if (argc < 2) {
            std::fprintf(stderr, "usage: kovrel-startup-bench INFO_FILE\n");
            return false;
        }
        auto* window = new kovrel::ui::FormMain(printingDialogs(), argv[1].ToStdString());
        window->Form_Load();
        if (window->ended())
            return false;
        window->Centre(wxBOTH);
        window->Show();
        const auto ready = std::chrono::steady_clock::now();
        const double ms = std::chrono::duration<double, std::milli>(ready - kProcessStart).count();
        std::printf("ready after %.0f ms, %u entries in the enterprise list\n", ms,
                    window->cboORT->GetCount());
        window->Destroy();
        return true;
    }
    int OnRun() override { return 0; }
};

}  // namespace

wxIMPLEMENT_APP(StartupBench);
