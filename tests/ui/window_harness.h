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

// An enterprise record without a child: its title, and so the list, cannot be read.
inline constexpr const char* kUnreadableDeclaration =
    "<beyanname><ozel><kazancDetay><ticariKazancBildirimi><ticariKazanclar><ticariKazanc/>"
    "</ticariKazanclar></ticariKazancBildirimi></kazancDetay></ozel></beyanname>";

// Handles the toolkit's pending events for a while, as the main loop would.
void pump(int milliseconds = 30);
// Simulated keys (ASCII only) reach the control with the focus, each let act before the next;
// simulated clicks do not reach GTK's widgets under a bare Xvfb.
void focusOn(wxWindow* control);
void pressKey(int keyCode, int modifiers = 0);
void typeKeys(std::string_view keys);

struct RecordingDialogs {
    std::vector<ui::MessageRequest> messages;
    std::vector<ui::InputRequest> inputs;
    std::optional<std::string> answer;  // what the input box returns; nothing = cancelled
    int endRequests = 0;

    // A line for each message: "!" (critical), "w" (warning) or "i", its text, and " +" when it
    // has a cause.
    std::string shown() const;
};

class WindowHarness {
  public:
    // Drives with an ebyn folder, by letter; the first one also holds the info file.
    explicit WindowHarness(std::string_view letters = "d");
    ~WindowHarness();

    // Copies an example's beyan.txt to the first drive's root; its path there ("D:\beyan.txt").
    std::string copyExample(const std::string& name);
    // The host path of the declaration that an info file names on the given drive.
    std::filesystem::path declarationFor(const std::string& infoFilePath, char drive = 'D') const;
    // Runs the conversion as the button would, to give a drive a declaration to list.
    void convert(const std::string& infoFilePath, conversion::Mode mode,
                 const std::string& newTitle, char drive = 'D') const;
    // Creates the window, runs Form_Load and shows it as the program entry does.
    ui::FormMain& start(const std::string& commandLine);

    test::TempDrive drive;
    RecordingDialogs recorded;

  private:
    char firstLetter_;
    ui::FormMain* window_ = nullptr;
};

}  // namespace kovrel::uitest
