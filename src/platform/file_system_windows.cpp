#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/file_system.h"

// Paths are UTF-8 texts; every call goes through the wide-character API so that folder and file
// names with Turkish letters reach the file system intact whatever the ANSI code page is.
namespace kovrel::platform {
namespace {

// Empty for a text that is not valid UTF-8; no path of the program is empty, so callers treat
// that as "not found".
std::wstring toWide(const std::string& utf8) {
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

std::string toUtf8(const std::wstring& wide) {
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

std::string lastErrorText() {
    return systemErrorText(::GetLastError());
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

bool createFolder(const std::string& path, std::string& error) {
    const std::wstring wide = toWide(path);
    if (wide.empty()) {
        error = "cannot create the folder " + path + ": the path is not valid UTF-8";
        return false;
    }
    QuietErrors quiet;
    if (::CreateDirectoryW(wide.c_str(), nullptr))
        return true;
    error = "cannot create the folder " + path + ": " + lastErrorText();
    return false;
}

std::unique_ptr<std::istream> openForReading(const std::string& path, std::string& error) {
    const std::wstring wide = toWide(path);
    if (wide.empty()) {
        error = "cannot open " + path + ": the path is not valid UTF-8";
        return nullptr;
    }
    {
        // The stream below cannot say why it failed; ask the system first.
        QuietErrors quiet;
        const HANDLE probe = ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe == INVALID_HANDLE_VALUE) {
            error = "cannot open " + path + ": " + lastErrorText();
            return nullptr;
        }
        ::CloseHandle(probe);
    }
    // libstdc++ opens a wide path with _wfopen.
    auto in = std::make_unique<std::ifstream>(std::filesystem::path(wide), std::ios::binary);
    if (!in->is_open()) {
        error = "cannot open " + path;
        return nullptr;
    }
    return in;
}

bool readWholeFile(const std::string& path, std::string& content, std::string& error) {
    auto in = openForReading(path, error);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in->rdbuf();
    if (in->bad()) {
        error = "cannot read " + path;
        return false;
    }
    content = std::move(buffer).str();
    return true;
}

bool replaceFileAtomically(const std::string& path, const ContentProducer& produce,
                           std::string& error) {
    const std::wstring target = toWide(path);
    if (target.empty()) {
        error = "cannot write " + path + ": the path is not valid UTF-8";
        return false;
    }
    QuietErrors quiet;
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        error = "the file " + path + " is read-only";
        return false;
    }

    const std::wstring folder = folderOf(target);
    const std::wstring name = baseName(target);
    removeStaleTemporaries(folder, name);
    std::wstring tempPath;
    const HANDLE file = createTemporary(folder, name, tempPath);
    if (file == INVALID_HANDLE_VALUE) {
        error = "cannot write in the folder of " + path + ": " + lastErrorText();
        return false;
    }
    DWORD writeError = ERROR_SUCCESS;
    const ContentSink sink = [&](std::string_view piece) {
        if (writeAll(file, piece))
            return true;
        writeError = ::GetLastError();
        return false;
    };
    std::string produceError;
    const bool produced = produce(sink, produceError);
    const bool flushed = produced && ::FlushFileBuffers(file);
    if (produced && !flushed)
        writeError = ::GetLastError();
    const bool closed = ::CloseHandle(file);
    if (!flushed || !closed) {
        if (writeError != ERROR_SUCCESS) {
            error = "cannot write " + path + ": " + systemErrorText(writeError);
        } else if (produced) {
            error = "cannot write " + path + ": " + lastErrorText();
        } else {
            error = produceError;
        }
        ::DeleteFileW(tempPath.c_str());
        return false;
    }

    const DWORD replaceError = replaceWithPatience(target, tempPath, exists);
    if (replaceError != ERROR_SUCCESS) {
        error = "cannot replace " + path + ": " + systemErrorText(replaceError);
        return false;
    }
    return true;
}

bool replaceFileAtomically(const std::string& path, std::string_view content, std::string& error) {
    return replaceFileAtomically(
        path, [content](const ContentSink& sink, std::string&) { return sink(content); }, error);
}

}  // namespace kovrel::platform
