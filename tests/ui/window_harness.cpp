#include "window_harness.h"

#include <wx/app.h>
#include <wx/init.h>
#include <wx/stopwatch.h>
#include <wx/uiaction.h>

#include <cctype>
#include <stdexcept>

namespace kovrel::uitest {

int withToolkit(int argc, char** argv, const std::function<int()>& body) {
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit())
        return 2;
    const int result = body();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}

void pump(int milliseconds) {
    const wxStopWatch watch;
    do {
        wxTheApp->Yield(true);
        wxTheApp->ProcessIdle();
        wxMilliSleep(5);
    } while (watch.Time() < milliseconds);
}

void focusOn(wxWindow* control) {
    wxGetTopLevelParent(control)->Raise();
    control->SetFocus();
    pump();
}

void pressKey(int keyCode, int modifiers) {
    wxUIActionSimulator().Char(keyCode, modifiers);
    pump();
}

void typeKeys(std::string_view keys) {
    for (const char key : keys) {
        const auto byte = static_cast<unsigned char>(key);
        pressKey(std::tolower(byte), std::isupper(byte) ? wxMOD_SHIFT : wxMOD_NONE);
    }
}

std::string RecordingDialogs::shown() const {
    std::string text;
    for (const auto& message : messages) {
        text += text.empty() ? "" : "\n";
        text += message.icon == ui::MessageIcon::Critical  ? "! "
                : message.icon == ui::MessageIcon::Warning ? "w "
                                                           : "i ";
        text += message.text + (message.cause.empty() ? "" : " +");
    }
    return text;
}

WindowHarness::~WindowHarness() {
    if (window_)
        window_->Destroy();
    pump(0);
}

std::string WindowHarness::copyExample(const std::string& name) const {
    writeInfo(test::readBytes(std::filesystem::path(KOVREL_EXAMPLES) / name / "beyan.txt"));
    return infoPath;
}

void WindowHarness::convert(conversion::Mode mode, const std::string& newTitle, char letter) const {
    const auto outcome = run({std::string(1, letter),
                              mode,
                              conversion::EnterpriseChoice::newRecord(),
                              {newTitle, "", "", "", "", ""}});
    if (outcome.end != conversion::RunEnd::Completed)
        throw std::runtime_error("fixture run failed: " + outcome.cause);
}

ui::FormMain& WindowHarness::start(const std::string& commandLine) {
    window_ = new ui::FormMain(
        {[this](const ui::MessageRequest& message) { recorded.messages.push_back(message); },
         [this](const ui::InputRequest& request) {
             recorded.inputs.push_back(request);
             return recorded.answer;
         },
         [this] { ++recorded.endRequests; }},
        commandLine);
    window_->Form_Load();
    window_->Centre(wxBOTH);
    window_->Show(!window_->ended());
    pump();
    return *window_;
}

}  // namespace kovrel::uitest
