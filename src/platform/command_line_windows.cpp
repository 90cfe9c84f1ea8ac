#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

#include "platform/command_line.h"

namespace kovrel::platform {
namespace {

std::string toUtf8(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string utf8(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                          size, nullptr, nullptr);
    return utf8;
}

}  // namespace

// argv is rebuilt by the C runtime (quotes removed, split at spaces, in the ANSI code page); the
// program wants the raw text the user or Explorer passed, so it reads the process's own line.
std::string commandLineText(int, char**) {
    const wchar_t* line = ::GetCommandLineW();
    if (!line) return {};
    std::wstring_view rest(line);
    // The program's name ends at the closing quote when it is quoted, else at a space or tab;
    // quotes inside it are not escapes.
    std::size_t end = 0;
    if (!rest.empty() && rest.front() == L'"') {
        const auto close = rest.find(L'"', 1);
        end = close == std::wstring_view::npos ? rest.size() : close + 1;
    } else {
        end = rest.find_first_of(L" \t");
        if (end == std::wstring_view::npos) end = rest.size();
    }
    rest.remove_prefix(end);
    // The separators between the name and the text belong to neither.
    const auto start = rest.find_first_not_of(L" \t");
    rest.remove_prefix(start == std::wstring_view::npos ? rest.size() : start);
    return toUtf8(rest);
}

}  // namespace kovrel::platform
