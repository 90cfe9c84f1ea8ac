#pragma once

#include <streambuf>

namespace kovrel::platform {

enum class StandardStream { Output, Error };

// The buffer behind the process's standard output or error, for the command-line program's
// streams; it lives as long as the process. What is written goes out byte for byte (no line-end
// translation) to a file, a pipe or a POSIX terminal. On a Windows console it is shown as text
// through the console's wide-character API, so that Turkish letters appear whatever the
// console's code page: UTF-8, and any byte that does not belong to UTF-8 (the ISO-8859-9
// declaration of a dry run) as its ISO-8859-9 letter.
std::streambuf* standardStream(StandardStream stream);

}  // namespace kovrel::platform
