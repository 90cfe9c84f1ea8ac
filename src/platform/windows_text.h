#pragma once

#include <string>
#include <string_view>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

// Windows only: the program's UTF-8 texts and the wide texts of the system's API.
namespace kovrel::platform {

// Empty for a text that is not valid UTF-8; no path of the program is empty, so callers treat
// that as "not found".
std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);

// Reading a file shares it with every other program: the e-declaration client or a virus scanner
// may hold it open for writing meanwhile.
inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace kovrel::platform
