#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

// The window's only ways of talking to the user outside its own controls, and of ending the
// program. Tests put their own in and answer without a human.
namespace kovrel::ui {

// Critical: the program ends after the message. Information: a note, the window stays.
// Warning: a failure the user can put right, the window stays.
enum class MessageIcon { Critical, Information, Warning };

struct MessageRequest {
    std::string text;
    std::string cause;  // shown below the text; empty when there is none
    std::string title;
    MessageIcon icon = MessageIcon::Critical;
};

struct InputRequest {
    std::string prompt;
    std::string title;
    std::string defaultAnswer;
};

struct Dialogs {
    // A message box with one OK button; returns when the user has closed it.
    std::function<void(const MessageRequest&)> showMessage;
    // The input box: the answer as typed, or nothing when it was cancelled.
    std::function<std::optional<std::string>(const InputRequest&)> askText;
    // Closes the window and ends the program once the current handler has returned.
    std::function<void()> endProgram;
};

// The toolkit's own message box, input box and program end.
Dialogs toolkitDialogs();

}  // namespace kovrel::ui

class wxMessageDialog;
class wxTextEntryDialog;

namespace kovrel::ui {

// The boxes toolkitDialogs shows, made but not shown, for tests that read their buttons.
std::unique_ptr<wxMessageDialog> makeMessageBox(const MessageRequest& request);
std::unique_ptr<wxTextEntryDialog> makeInputBox(const InputRequest& request);

}  // namespace kovrel::ui
