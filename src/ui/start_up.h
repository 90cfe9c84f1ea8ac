#pragma once

#include <string>
#include <string_view>

namespace kovrel::ui {

// The info file's path from the command line: trimmed of spaces, and without one pair of
// double quotes around it (drag and drop and "Open with" quote paths that contain spaces).
std::string infoFilePathFromCommandLine(std::string_view commandLine);

// The info file's path from the input box's answer: its first character names the drive.
// Empty for an empty answer.
std::string infoFilePathFromAnswer(std::string_view answer);

}  // namespace kovrel::ui
