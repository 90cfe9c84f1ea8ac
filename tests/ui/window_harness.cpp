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

void typeKeys(std::string_view keys) {
    wxUIActionSimulator sim;
    for (const char key : keys) {
        const bool upper = std::isupper(static_cast<unsigned char>(key));
        sim.Char(std::tolower(static_cast<unsigned char>(key)), upper ? wxMOD_SHIFT : wxMOD_NONE);
        pump();
    }
}

void pressKey(int keyCode, int modifiers) {
    wxUIActionSimulator sim;
    sim.Char(keyCode, modifiers);
    pump();
}

WindowHarness::WindowHarness(std::string_view letters)
    : drive(letters), firstLetter_(static_cast<char>(std::toupper(letters.at(0)))) {
    for (const char letter : letters)
        fs::create_directories(drive.rootOf(letter) / "ebyn");
}

WindowHarness::~WindowHarness() {
    if (window_) {
        window_->Destroy();
        pump(0);
    }
}

std::string WindowHarness::copyExample(const std::string& name) {
    return writeInfoFile(test::readBytes(fs::path(KOVREL_EXAMPLES) / name / "beyan.txt"));
}

std::string WindowHarness::writeInfoFile(const std::string& text) {
    test::writeBytes(drive.root() / "beyan.txt", text);
    return std::string(1, firstLetter_) + ":\\beyan.txt";
}

static infofile::DeclarationHeader headerOf(const std::string& infoFilePath) {
    std::string error;
    const auto read = infofile::readDeclarationHeader(infoFilePath, error);
    if (!read)
        throw std::runtime_error(error);
    return read->header;
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
    choices.enterprise.listIndex = 0;
    choices.fields.title = newTitle;
    const auto outcome = conversion::ConversionRun(headerOf(infoFilePath), infoFilePath, choices);
    if (outcome.end != conversion::RunEnd::Completed)
        throw std::runtime_error("fixture run failed: " + outcome.cause);
}

ui::FormMain& WindowHarness::start(const std::string& commandLine) {
    ui::Dialogs seam;
    seam.showMessage = [this](const ui::MessageRequest& request) {
        recorded.messages.push_back(request);
    };
    seam.askText = [this](const ui::InputRequest& request) {
        recorded.inputs.push_back(request);
        return recorded.answer;
    };
    seam.endProgram = [this] { ++recorded.endRequests; };
    window_ = new ui::FormMain(seam, commandLine);
    window_->Form_Load();
    if (!window_->ended()) {
        window_->Centre(wxBOTH);
        window_->Show();
        pump();
    }
    return *window_;
}

}  // namespace kovrel::uitest
