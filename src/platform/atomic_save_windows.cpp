#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <vector>

#include "platform/file_system.h"
#include "platform/system_errors.h"
#include "platform/windows_api.h"

namespace kovrel::platform {
namespace {

using messages::FileOperation;

std::uint64_t freeBytesIn(const std::wstring& folder) {
    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr))
        return 0;
    return available.QuadPart;
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
    forEachFile(joinPath(folder, L"." + name + kTempMarker + L"*"),
                [&](const WIN32_FIND_DATAW& found) {
                    ::DeleteFileW(joinPath(folder, found.cFileName).c_str());
                });
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
    forEachFile(joinPath(folder, L"rf*.tmp"), [&](const WIN32_FIND_DATAW& found) {
        if (found.nFileSizeLow == 0 && found.nFileSizeHigh == 0)
            names.emplace_back(found.cFileName);
    });
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
    if (!file.valid())
        throw lastFailure(FileOperation::Write, path);
    const auto diskFull = [] { return problemOf(::GetLastError()) == FileProblem::DiskFull; };
    const auto failed = [&] { return lastFailure(FileOperation::Write, path); };
    try {
        WrittenContent written = writeContent(
            produce, [&](std::string_view piece) { return writeAll(file.get(), piece); }, diskFull,
            failed);
        if (!written.diskFull && (!::FlushFileBuffers(file.get()) || !file.close())) {
            if (!diskFull())
                throw failed();
            written.diskFull = true;
        }
        if (written.diskFull) {
            file.close();
            ::DeleteFileW(tempPath.c_str());
            throw FileError(FileProblem::DiskFull,
                            messages::diskFull(path, written.bytes, freeBytesIn(folder)));
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

}  // namespace kovrel::platform
