#include "window_harness.h"

#include <wx/app.h>
#include <wx/stopwatch.h>
#include <wx/uiaction.h>

#include <cctype>
#include <stdexcept>

#include "conversion/target_path.h"
#include "infofile/declaration_header.h"
#include "platform/file_system.h"

namespace kovrel::uitest {
namespace fs = std::filesystem;

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
        text += message.text;
        text += message.cause.empty() ? "" : " +";
    }
    return text;
}

WindowHarness::WindowHarness(std::string_view letters)
    : drive(letters), firstLetter_(static_cast<char>(std::toupper(letters.at(0)))) {
    for (const char letter : letters)
        fs::create_directories(drive.rootOf(letter) / "ebyn");
}

WindowHarness::~WindowHarness() {
    if (window_)
        window_->Destroy();
    pump(0);
}

std::string WindowHarness::copyExample(const std::string& name) {
    fs::copy_file(fs::path(KOVREL_EXAMPLES) / name / "beyan.txt", drive.root() / "beyan.txt");
    return std::string(1, firstLetter_) + ":\\beyan.txt";
}

static infofile::DeclarationHeader headerOf(const std::string& infoFilePath) {
    return infofile::readDeclarationHeader(infoFilePath).header;
}

fs::path WindowHarness::declarationFor(const std::string& infoFilePath, char letter) const {
    const std::string root = conversion::ebynRoot(std::string(1, letter));
    return platform::hostPath(conversion::targetXmlPath(root, headerOf(infoFilePath)));
}

void WindowHarness::convert(const std::string& infoFilePath, conversion::Mode mode,
                            const std::string& newTitle, char letter) const {
    conversion::RunChoices choices;
    choices.driveText = std::string(1, letter);
    choices.mode = mode;
    choices.enterprise = conversion::EnterpriseChoice::newRecord();
    choices.fields.title = newTitle;
    const auto outcome = conversion::ConversionRun(headerOf(infoFilePath), infoFilePath, choices);
    if (outcome.end != conversion::RunEnd::Completed)
        throw std::runtime_error("fixture run failed: " + outcome.cause);
}

ui::FormMain& WindowHarness::start(const std::string& commandLine) {
    const auto ask = [this](const ui::InputRequest& request) {
        recorded.inputs.push_back(request);
        return recorded.answer;
    };
    window_ = new ui::FormMain(
        {[this](const ui::MessageRequest& message) { recorded.messages.push_back(message); }, ask,
         [this] { ++recorded.endRequests; }},
        commandLine);
    window_->Form_Load();
    window_->Centre(wxBOTH);
    window_->Show(!window_->ended());
    pump();
    return *window_;
}

}  // namespace kovrel::uitest
