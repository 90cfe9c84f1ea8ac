#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "ui/dialogs.h"
#include "ui/form_main.h"

// The window on temporary drives, its dialogs recorded and its input box answered.
namespace kovrel::uitest {

// An enterprise record without a child: its title, and so the list, cannot be read.
inline constexpr const char* kUnreadableDeclaration =
    "<beyanname><ozel><kazancDetay><ticariKazancBildirimi><ticariKazanclar><ticariKazanc/>"
    "</ticariKazanclar></ticariKazancBildirimi></kazancDetay></ozel></beyanname>";

// Runs body with the toolkit started (an X server needed); 2 when it does not start.
int withToolkit(int argc, char** argv, const std::function<int()>& body);
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

    // A line a message: "!" (critical), "w" (warning) or "i", its text, " +" with a cause.
    std::string shown() const;
};

class WindowHarness : public test::Scene {
  public:
    using Scene::Scene;
    ~WindowHarness();

    // Copies an example's beyan.txt to D:\ and returns its path there.
    std::string copyExample(const std::string& name) const;
    // Runs a conversion, to give a drive a declaration to list.
    void convert(conversion::Mode mode, const std::string& newTitle, char letter = 'D') const;
    // Creates the window, runs Form_Load and shows it as the program entry does.
    ui::FormMain& start(const std::string& commandLine);

    RecordingDialogs recorded;

  private:
    ui::FormMain* window_ = nullptr;
};

}  // namespace kovrel::uitest
