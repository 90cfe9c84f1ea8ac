#pragma once

#include <functional>
#include <optional>
#include <string>

// The window's only ways of talking to the user outside its own controls, and of ending the
// program. Tests put their own in and answer without a human.
namespace kovrel::ui {

enum class MessageIcon { Critical, Information };

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
