#pragma once

#include <string>
#include <string_view>

// Windows only: the program's UTF-8 texts and the wide texts of the system's API.
namespace kovrel::platform {

// Empty for a text that is not valid UTF-8; no path of the program is empty, so callers treat
// that as "not found".
std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);

}  // namespace kovrel::platform
