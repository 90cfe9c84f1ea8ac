#include "platform/windows_api.h"
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>
#include <string_view>

#include "platform/command_line.h"

namespace kovrel::platform {
namespace {

bool isSeparator(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// The program's name is read as the C runtime reads it: quotes switch quoting on and off and
// are not escapes, and the name ends at the first space or tab outside quotes.
std::size_t endOfProgramName(std::wstring_view line) {
    bool quoted = false;
    std::size_t i = 0;
    for (; i < line.size(); ++i) {
        if (line[i] == L'"') {
            quoted = !quoted;
        } else if (!quoted && isSeparator(line[i])) {
            break;
        }
    }
    return i;
}

}  // namespace

// argv is rebuilt by the C runtime (quotes removed, split at spaces, in the ANSI code page); the
// program wants the raw text the user or Explorer passed, so it reads the process's own line.
std::string commandLineText(int, char**) {
    const wchar_t* line = ::GetCommandLineW();
    if (!line)
        return {};
    std::wstring_view rest(line);
    rest.remove_prefix(endOfProgramName(rest));
    // The separators between the name and the text belong to neither.
    std::size_t start = 0;
    while (start < rest.size() && isSeparator(rest[start]))
        ++start;
    rest.remove_prefix(start);
    return toUtf8(rest);
}

// The C runtime's argv is in the ANSI code page, where a Turkish letter outside it becomes "?";
// the wide command line keeps every path intact.
std::vector<std::string> commandLineArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide)
        return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(toUtf8(wide[i]));
    ::LocalFree(wide);
    return arguments;
}

}  // namespace kovrel::platform
