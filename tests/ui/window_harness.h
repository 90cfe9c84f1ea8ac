#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "conversion/conversion_run.h"
#include "support/test_support.h"
#include "ui/dialogs.h"
#include "ui/form_main.h"

// The window on a temporary drive table, with a dialog seam that records what the window shows
// and answers the input box.
namespace kovrel::uitest {

// Handles the toolkit's pending events for a while, as the main loop would.
void pump(int milliseconds = 30);

// Gives a control of the shown window the keyboard focus, so that simulated keys reach it.
// (Simulated clicks do not reach GTK's widgets under a bare Xvfb; keys do.)
void focusOn(wxWindow* control);
// Types the keys one at a time (ASCII only), letting the window react to each.
void typeKeys(std::string_view keys);
// Presses one key, with modifiers (wxMOD_ALT ...), and lets the window react.
void pressKey(int keyCode, int modifiers = 0);

struct RecordingDialogs {
    std::vector<ui::MessageRequest> messages;
    std::vector<ui::InputRequest> inputs;
    std::optional<std::string> answer;  // what the input box returns; nothing = cancelled
    int endRequests = 0;
};

class WindowHarness {
  public:
    // Drives with an ebyn folder, by letter; the first one also holds the info file.
    explicit WindowHarness(std::string_view letters = "d");
    ~WindowHarness();

    // Copies an example's beyan.txt (gelir, gelir-ozet, kurumlar) to the first drive's root.
    std::string copyExample(const std::string& name);
    // Writes an info file to the first drive's root; returns its path text ("D:\beyan.txt").
    std::string writeInfoFile(const std::string& text);
    // The host path of the declaration that an info file names on the given drive.
    std::filesystem::path declarationFor(const std::string& infoFilePath, char drive = 'D') const;
    // Runs the conversion as the button would, to give a drive a declaration to list.
    void convert(const std::string& infoFilePath, conversion::Mode mode,
                 const std::string& newTitle, char drive = 'D') const;

    // Creates the window and runs Form_Load as the program entry does, then shows it centred
    // unless start-up ended the program.
    ui::FormMain& start(const std::string& commandLine);

    test::TempDrive drive;
    RecordingDialogs recorded;

  private:
    char firstLetter_;
    ui::FormMain* window_ = nullptr;
};

}  // namespace kovrel::uitest
