#pragma once

// What the Windows implementations of the platform share: the API itself, wide texts and the
// system's errors worded by the catalogue. Windows only.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/error.h"
#include "platform/messages.h"

namespace kovrel::platform {

// Empty for a text that is not valid UTF-8; no path of the program is empty, so callers treat
// that as "not found".
std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);

// Reading a file shares it with every other program: the e-declaration client or a virus scanner
// may hold it open for writing meanwhile.
inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The system's text for an error code, without its closing period and line break.
std::string systemErrorText(DWORD code);
FileProblem problemOf(DWORD code);
// The failure that an error code describes; the system's own text (in the system's language)
// only where no cause of the catalogue fits.
FileError failure(messages::FileOperation operation, const std::string& path, DWORD code);
FileError notUtf8(messages::FileOperation operation, const std::string& path);

// Hands visit what the system knows of each file (not folder) that a pattern such as
// "D:\a\rf*.tmp" matches.
void forEachFile(const std::wstring& pattern,
                 const std::function<void(const WIN32_FIND_DATAW& found)>& visit);

// A query on a drive without a medium must answer "no", not show the system's "insert a disk"
// box, as the scripting runtime does.
class QuietErrors {
  public:
    QuietErrors() { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous_); }
    ~QuietErrors() { ::SetThreadErrorMode(previous_, nullptr); }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;

  private:
    DWORD previous_ = 0;
};

// Closes a handle at the end of its scope, whatever way the scope is left.
class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    // Closes now and tells whether the close succeeded.
    bool close() {
        const HANDLE handle = std::exchange(handle_, INVALID_HANDLE_VALUE);
        return handle == INVALID_HANDLE_VALUE || ::CloseHandle(handle) != 0;
    }

  private:
    HANDLE handle_;
};

}  // namespace kovrel::platform
