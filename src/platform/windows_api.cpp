#include "platform/windows_api.h"

#include "platform/system_errors.h"

namespace kovrel::platform {

std::wstring toWide(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                           static_cast<int>(utf8.size()), nullptr, 0);
    if (size <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                          wide.data(), size);
    return wide;
}

std::string toUtf8(std::wstring_view wide) {
    if (wide.empty())
        return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return {};
    std::string utf8(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size,
                          nullptr, nullptr);
    return utf8;
}

std::string systemErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length > 0 && buffer ? std::wstring(buffer, length) : std::wstring();
    if (buffer)
        ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' ||
                             text.back() == L'.')) {
        text.pop_back();
    }
    if (text.empty())
        return "error " + std::to_string(code);
    return toUtf8(text);
}

FileProblem problemOf(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_NOT_READY:
            return FileProblem::NotFound;
        case ERROR_ACCESS_DENIED:
            return FileProblem::AccessDenied;
        case ERROR_WRITE_PROTECT:
            return FileProblem::ReadOnly;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return FileProblem::DiskFull;
        case ERROR_FILE_TOO_LARGE:
            return FileProblem::TooLarge;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
            return FileProblem::InUse;
        case ERROR_FILENAME_EXCED_RANGE:
            return FileProblem::PathTooLong;
        default:
            return FileProblem::Other;
    }
}

FileError failure(messages::FileOperation operation, const std::string& path, DWORD code) {
    const FileProblem problem = problemOf(code);
    return FileError(problem,
                     messages::fileFailure(
                         operation, path, problem,
                         problem == FileProblem::Other ? systemErrorText(code) : std::string()));
}

FileError notUtf8(messages::FileOperation operation, const std::string& path) {
    return failure(operation, path, ERROR_INVALID_NAME);
}

void forEachFile(const std::wstring& pattern,
                 const std::function<void(const WIN32_FIND_DATAW& found)>& visit) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            visit(found);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

FileError lastFailure(messages::FileOperation operation, const std::string& path) {
    return failure(operation, path, ::GetLastError());
}

}  // namespace kovrel::platform
