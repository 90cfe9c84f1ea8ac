#include "ui/start_up.h"

#include <algorithm>
#include <exception>

#include "conversion/target_path.h"
#include "platform/file_system.h"
#include "platform/messages.h"
#include "textconv/text_conv.h"
#include "ui/form_main.h"
#include "ui/window_texts.h"

namespace kovrel::ui {

std::string infoFilePathFromCommandLine(std::string_view commandLine) {
    std::string_view path = textconv::trimSpaces(commandLine);
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"' &&
        std::count(path.begin(), path.end(), '"') == 2) {
        path = path.substr(1, path.size() - 2);
    }
    return std::string(path);
}

std::string infoFilePathFromAnswer(std::string_view answer) {
    if (answer.empty())
        return {};
    // The first character, which in UTF-8 may take several bytes.
    std::size_t length = 1;
    while (length < answer.size() && (static_cast<unsigned char>(answer[length]) & 0xC0) == 0x80)
        ++length;
    return std::string(answer.substr(0, length)) + ":\\beyan.txt";
}

// A failure nothing foresaw ends start-up with its message, as the failures it foresees do.
void FormMain::Form_Load() {
    try {
        loadWindow();
    } catch (...) {
        fail(messages::kXmlReadFailed, messages::causeOf(std::current_exception()),
             messages::kTitle);
    }
}

void FormMain::loadWindow() {
    // Drive scan. When no drive holds an ebyn folder, drive C is listed in its place so that
    // the display and the run build the same, usable path.
    std::vector<char> drives = conversion::ebynDrives();
    if (drives.empty()) {
        const auto all = platform::listDrives();
        if (std::none_of(all.begin(), all.end(), [](const auto& d) { return d.letter == 'C'; })) {
            fail(texts::kNoDrive, {}, messages::kTitle);
            return;
        }
        drives.push_back('C');
    }
    for (const char letter : drives)
        cboDrive->Append(wxString(letter));
    // With the header still empty this refresh only shows a path, and cannot fail.
    selectDrive(0);

    setDescription(wxString::FromUTF8(texts::kYtlNote));

    infoFilePath_ = infoFilePathFromCommandLine(commandLine_);
    if (infoFilePath_.empty()) {
        const auto answer =
            dialogs_.askText({texts::kDrivePrompt, messages::kTitle, texts::kDriveDefaultAnswer});
        infoFilePath_ = infoFilePathFromAnswer(answer.value_or(std::string()));
        if (infoFilePath_.empty()) {
            endProgram();
            return;
        }
    }
    if (!platform::fileExists(infoFilePath_)) {
        fail(messages::kInfoFileMissing, messages::infoFileNotFound(infoFilePath_),
             messages::kWarningTitle);
        return;
    }

    infofile::HeaderRead read;
    try {
        read = infofile::readDeclarationHeader(infoFilePath_);
    } catch (const Error& e) {
        fail(messages::kInfoFileUnreadable, e.what(), messages::kTitle);
        return;
    }
    header_ = read.header;
    txtUnvan->SetValue(wxString::FromUTF8(read.title));
    txtUnvan->SelectAll();
    txtFaaliyetK->SetValue(wxString::FromUTF8(read.activity));
    txtFaaliyetK->SelectAll();

    setWindowHeight(kHeightAfterStartUp);
    showFrame(fraNew, false);

    try {
        refreshTargetFile();
    } catch (...) {
        fail(messages::kXmlReadFailed, messages::causeOf(std::current_exception()),
             messages::kTitle);
        return;
    }
    lblTIP->SetLabel(wxString::FromUTF8(header_.type()));
}

}  // namespace kovrel::ui
