#include "platform/windows_api.h"

#include <cstdlib>
#include <optional>
#include <utility>

#include "platform/system_errors.h"
#include "platform/user_files.h"

namespace kovrel::platform {
namespace {

using messages::FileOperation;

// Windows sets it for every process; a process started without it falls back to where it lies.
std::wstring localAppData() {
    if (const wchar_t* folder = ::_wgetenv(L"LOCALAPPDATA"); folder && *folder)
        return folder;
    const wchar_t* profile = ::_wgetenv(L"USERPROFILE");
    return std::wstring(profile ? profile : L"C:") + L"\\AppData\\Local";
}

// A copy is written under a name of this kind first; one that a killed run left is no copy.
const std::string kTemporaryPrefix = ".kovrel-tmp-";

void removeTemporariesIn(const std::string& folder) {
    for (const auto& name : fileNamesIn(folder)) {
        if (name.rfind(kTemporaryPrefix, 0) == 0)
            ::DeleteFileW(toWide(joinPath(folder, name)).c_str());
    }
}

}  // namespace

// %LOCALAPPDATA% belongs to the user alone already; what is made inside it inherits that.
std::string userFolder() {
    return toUtf8(localAppData()) + "\\Kovrel";
}

std::string joinPath(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

void createPrivateFolders(const std::string& folder) {
    for (std::size_t end = folder.find('\\', 3);; end = folder.find('\\', end + 1)) {
        const std::string level = folder.substr(0, end);
        if (!::CreateDirectoryW(toWide(level).c_str(), nullptr) &&
            ::GetLastError() != ERROR_ALREADY_EXISTS)
            throw lastFailure(FileOperation::CreateFolder, level);
        if (end == std::string::npos)
            return;
    }
}

bool copyToNewFile(const std::string& source, const std::string& target) {
    const FileHandle in(::CreateFileW(toWide(source).c_str(), GENERIC_READ, kShareAll, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in.valid())
        throw lastFailure(FileOperation::Open, source);
    const std::string folder = target.substr(0, target.rfind('\\'));
    removeTemporariesIn(folder);
    const std::string temporary =
        joinPath(folder, kTemporaryPrefix + std::to_string(::GetCurrentProcessId()));
    FileHandle out(::CreateFileW(toWide(temporary).c_str(), GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.valid())
        throw lastFailure(FileOperation::Write, target);
    char buffer[1 << 16];
    DWORD got = 0;
    std::optional<FileError> failure;
    while (!failure) {
        if (!::ReadFile(in.get(), buffer, sizeof buffer, &got, nullptr)) {
            failure = lastFailure(FileOperation::Read, source);
        } else if (got == 0) {
            break;
        } else {
            DWORD written = 0;
            if (!::WriteFile(out.get(), buffer, got, &written, nullptr) || written != got)
                failure = lastFailure(FileOperation::Write, target);
        }
    }
    if (!failure && !::FlushFileBuffers(out.get()))
        failure = lastFailure(FileOperation::Write, target);
    out.close();
    // Without MOVEFILE_REPLACE_EXISTING the whole, flushed copy takes its name, and never over
    // another file.
    bool exists = false;
    if (!failure &&
        !::MoveFileExW(toWide(temporary).c_str(), toWide(target).c_str(), MOVEFILE_WRITE_THROUGH)) {
        exists = ::GetLastError() == ERROR_ALREADY_EXISTS || ::GetLastError() == ERROR_FILE_EXISTS;
        if (!exists)
            failure = lastFailure(FileOperation::Write, target);
    }
    ::DeleteFileW(toWide(temporary).c_str());
    if (failure)
        throw *failure;
    return !exists;
}

std::vector<std::string> fileNamesIn(const std::string& folder) {
    std::vector<std::string> names;
    forEachFile(toWide(joinPath(folder, "*")),
                [&](const WIN32_FIND_DATAW& found) { names.push_back(toUtf8(found.cFileName)); });
    return names;
}

bool removeFile(const std::string& path) {
    return ::DeleteFileW(toWide(path).c_str()) != 0;
}

}  // namespace kovrel::platform
