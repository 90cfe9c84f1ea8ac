#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/system_errors.h"
#include "platform/windows_text.h"

// Paths are UTF-8 texts; every call goes through the wide-character API so that folder and file
// names with Turkish letters reach the file system intact whatever the ANSI code page is.
namespace kovrel::platform {
namespace {

// The system's text for an error code, without its closing period and line break.
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

using messages::FileOperation;

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

// The failure that an error code describes; the system's own text (in the system's language)
// only where no cause of the catalogue fits.
FileError failure(FileOperation operation, const std::string& path, DWORD code) {
    const FileProblem problem = problemOf(code);
    return FileError(problem,
                     messages::fileFailure(
                         operation, path, problem,
                         problem == FileProblem::Other ? systemErrorText(code) : std::string()));
}

FileError notUtf8(FileOperation operation, const std::string& path) {
    return failure(operation, path, ERROR_INVALID_NAME);
}

std::uint64_t freeBytesIn(const std::wstring& folder) {
    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr))
        return 0;
    return available.QuadPart;
}

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

DWORD attributesOf(const std::string& path) {
    const std::wstring wide = toWide(path);
    if (wide.empty())
        return INVALID_FILE_ATTRIBUTES;
    QuietErrors quiet;
    return ::GetFileAttributesW(wide.c_str());
}

DriveKind kindOf(UINT type) {
    switch (type) {
        case DRIVE_REMOVABLE:
            return DriveKind::Removable;
        case DRIVE_FIXED:
            return DriveKind::Fixed;
        case DRIVE_REMOTE:
            return DriveKind::Network;
        case DRIVE_CDROM:
            return DriveKind::CdRom;
        case DRIVE_RAMDISK:
            return DriveKind::RamDisk;
        default:
            return DriveKind::Unknown;
    }
}

std::wstring folderOf(const std::wstring& file) {
    const auto slash = file.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        // "D:beyan.xml" lies in the current folder of D:, "beyan.xml" in the current folder.
        return file.size() >= 2 && file[1] == L':' ? file.substr(0, 2) : std::wstring(L".");
    }
    // The root keeps its separator: "D:\" and not "D:".
    return slash == 0 || (slash == 2 && file[1] == L':') ? file.substr(0, slash + 1)
                                                         : file.substr(0, slash);
}

std::wstring baseName(const std::wstring& file) {
    const auto slash = file.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? file : file.substr(slash + 1);
}

std::wstring joinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty() || folder.back() == L'\\' || folder.back() == L'/' ||
        folder.back() == L':') {
        return folder + name;
    }
    return folder + L'\\' + name;
}

constexpr const wchar_t* kTempMarker = L".kovrel-tmp-";

// A run killed during an earlier save leaves its temporary file behind; clear it away.
void removeStaleTemporaries(const std::wstring& folder, const std::wstring& name) {
    const std::wstring prefix = L"." + name + kTempMarker;
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(joinPath(folder, prefix + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            ::DeleteFileW(joinPath(folder, found.cFileName).c_str());
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

// Creates a new, empty temporary file beside the target; its name is kept in tempPath.
HANDLE createTemporary(const std::wstring& folder, const std::wstring& name,
                       std::wstring& tempPath) {
    const std::wstring stem = L"." + name + kTempMarker;
    const DWORD seed = ::GetCurrentProcessId() ^ ::GetTickCount();
    for (DWORD attempt = 0; attempt < 100; ++attempt) {
        wchar_t suffix[16];
        std::swprintf(suffix, 16, L"%08lx", static_cast<unsigned long>(seed + attempt * 7919u));
        tempPath = joinPath(folder, stem + suffix);
        const HANDLE file = ::CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

bool writeAll(HANDLE file, std::string_view content) {
    while (!content.empty()) {
        const DWORD chunk =
            content.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(content.size());
        DWORD written = 0;
        if (!::WriteFile(file, content.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        content.remove_prefix(written);
    }
    return true;
}

// Wine's ReplaceFileW makes an empty "rf*.tmp" file beside the target for its own use and
// leaves it there when the replace fails.
std::vector<std::wstring> emptySystemTemporaries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(joinPath(folder, L"rf*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && found.nFileSizeLow == 0 &&
            found.nFileSizeHigh == 0) {
            names.emplace_back(found.cFileName);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

// ReplaceFileW keeps the replaced file's attributes and security; it needs an existing target,
// and some file systems refuse it, where the plain write-through rename serves. The error of the
// last call, or ERROR_SUCCESS.
DWORD moveIntoPlace(const std::wstring& target, const std::wstring& temporary, bool targetExists) {
    if (targetExists) {
        const std::wstring folder = folderOf(target);
        const std::vector<std::wstring> before = emptySystemTemporaries(folder);
        if (::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                           REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
            return ERROR_SUCCESS;
        }
        for (const std::wstring& name : emptySystemTemporaries(folder)) {
            if (std::find(before.begin(), before.end(), name) == before.end())
                ::DeleteFileW(joinPath(folder, name).c_str());
        }
    }
    if (::MoveFileExW(temporary.c_str(), target.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return ERROR_SUCCESS;
    }
    return ::GetLastError();
}

// A virus scanner, the search indexer or a backup agent opens a new file for a moment; while
// it does, the replace fails with one of these. A read-only file or a folder in the way also
// answers "access denied" and does not change by waiting.
bool mayClearSoon(DWORD error, const std::wstring& target) {
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
        return true;
    if (error != ERROR_ACCESS_DENIED)
        return false;
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ||
           (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == 0;
}

constexpr ULONGLONG kReplacePatienceMs = 2000;

// Puts the temporary in the target's place, trying again with growing pauses for about two
// seconds while another program holds the target. On failure neither the temporary nor
// anything the system made for the replace is left beside the target. The error of the last
// attempt, or ERROR_SUCCESS.
DWORD replaceWithPatience(const std::wstring& target, const std::wstring& temporary,
                          bool targetExists) {
    const ULONGLONG start = ::GetTickCount64();
    DWORD pause = 10;
    for (;;) {
        const DWORD error = moveIntoPlace(target, temporary, targetExists);
        const ULONGLONG waited = ::GetTickCount64() - start;
        if (error == ERROR_SUCCESS || !mayClearSoon(error, target) ||
            waited >= kReplacePatienceMs) {
            if (error != ERROR_SUCCESS)
                ::DeleteFileW(temporary.c_str());
            return error;
        }
        ::Sleep(static_cast<DWORD>(std::min<ULONGLONG>(pause, kReplacePatienceMs - waited)));
        pause = std::min<DWORD>(pause * 2, 400);
    }
}

}  // namespace

FileError lastFailure(FileOperation operation, const std::string& path) {
    return failure(operation, path, ::GetLastError());
}

// Paths here are host paths already.
std::string hostPath(const std::string& path) {
    return path;
}

std::vector<Drive> listDrives() {
    std::vector<Drive> drives;
    const DWORD mask = ::GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if ((mask & (DWORD{1} << i)) == 0)
            continue;
        const char letter = static_cast<char>('A' + i);
        const wchar_t root[] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', L'\0'};
        drives.push_back({letter, kindOf(::GetDriveTypeW(root))});
    }
    return drives;
}

bool folderExists(const std::string& path) {
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool fileExists(const std::string& path) {
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void createFolder(const std::string& path) {
    const std::wstring wide = toWide(path);
    if (wide.empty())
        throw notUtf8(FileOperation::CreateFolder, path);
    QuietErrors quiet;
    if (!::CreateDirectoryW(wide.c_str(), nullptr))
        throw lastFailure(FileOperation::CreateFolder, path);
}

std::unique_ptr<std::istream> openForReading(const std::string& path) {
    const std::wstring wide = toWide(path);
    if (wide.empty())
        throw notUtf8(FileOperation::Open, path);
    {
        // The stream below cannot say why it failed; ask the system first.
        QuietErrors quiet;
        const HANDLE probe = ::CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe == INVALID_HANDLE_VALUE)
            throw lastFailure(FileOperation::Open, path);
        ::CloseHandle(probe);
    }
    // libstdc++ opens a wide path with _wfopen.
    auto in = std::make_unique<std::ifstream>(std::filesystem::path(wide), std::ios::binary);
    if (!in->is_open())
        throw lastFailure(FileOperation::Open, path);
    return in;
}

std::string readWholeFile(const std::string& path) {
    const auto in = openForReading(path);
    std::ostringstream buffer;
    buffer << in->rdbuf();
    if (in->bad())
        throw lastFailure(FileOperation::Read, path);
    return std::move(buffer).str();
}

namespace {

// Closes a handle at the end of its scope, whatever way the scope is left.
class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (handle_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    HANDLE get() const { return handle_; }
    // Closes now and tells whether the close succeeded.
    bool close() {
        const HANDLE handle = std::exchange(handle_, INVALID_HANDLE_VALUE);
        return handle == INVALID_HANDLE_VALUE || ::CloseHandle(handle) != 0;
    }

  private:
    HANDLE handle_;
};

}  // namespace

void replaceFileAtomically(const std::string& path, const ContentProducer& produce) {
    const std::wstring target = toWide(path);
    if (target.empty())
        throw notUtf8(FileOperation::Write, path);
    QuietErrors quiet;
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        throw failure(FileOperation::Write, path, ERROR_WRITE_PROTECT);

    const std::wstring folder = folderOf(target);
    const std::wstring name = baseName(target);
    removeStaleTemporaries(folder, name);
    std::wstring tempPath;
    FileHandle file(createTemporary(folder, name, tempPath));
    if (file.get() == INVALID_HANDLE_VALUE)
        throw lastFailure(FileOperation::Write, path);
    // Once the disk is full the rest is only counted, so that the cause can say how much room
    // the file needs.
    std::uint64_t total = 0;
    bool noSpace = false;
    try {
        produce([&](std::string_view piece) {
            total += piece.size();
            if (noSpace || writeAll(file.get(), piece))
                return;
            if (problemOf(::GetLastError()) != FileProblem::DiskFull)
                throw lastFailure(FileOperation::Write, path);
            noSpace = true;
        });
        if (!noSpace && (!::FlushFileBuffers(file.get()) || !file.close())) {
            if (problemOf(::GetLastError()) != FileProblem::DiskFull)
                throw lastFailure(FileOperation::Write, path);
            noSpace = true;
        }
        if (noSpace) {
            file.close();
            ::DeleteFileW(tempPath.c_str());
            throw FileError(FileProblem::DiskFull,
                            messages::diskFull(path, total, freeBytesIn(folder)));
        }

        // Another program (a virus scanner, the indexer, a backup agent) may hold the file for a
        // moment: the replace waits it out for a while.
        const DWORD replaceError = replaceWithPatience(target, tempPath, exists);
        if (replaceError != ERROR_SUCCESS && mayClearSoon(replaceError, target)) {
            throw FileError(FileProblem::InUse,
                            messages::fileFailure(FileOperation::Write, path, FileProblem::InUse));
        }
        if (replaceError != ERROR_SUCCESS)
            throw failure(FileOperation::Write, path, replaceError);
    } catch (...) {
        file.close();
        ::DeleteFileW(tempPath.c_str());
        throw;
    }
}

void replaceFileAtomically(const std::string& path, std::string_view content) {
    replaceFileAtomically(path, [content](const ContentSink& sink) { sink(content); });
}

}  // namespace kovrel::platform
