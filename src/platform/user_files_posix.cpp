#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "platform/posix_files.h"
#include "platform/system_errors.h"
#include "platform/user_files.h"

namespace kovrel::platform {
namespace {

using messages::FileOperation;

// A copy is written under a name of this kind first; one that a killed run left is no copy.
constexpr std::string_view kTemporaryPrefix = ".kovrel-tmp-";

void removeTemporariesIn(const std::string& folder) {
    for (const auto& name : fileNamesIn(folder)) {
        if (name.starts_with(kTemporaryPrefix))
            ::unlink(joinPath(folder, name).c_str());
    }
}

}  // namespace

std::string userFolder() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == '/')
        return std::string(state) + "/kovrel";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/state/kovrel";
}

std::string joinPath(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

void createPrivateFolders(const std::string& folder) {
    for (std::size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
        const std::string level = folder.substr(0, end);
        if (::mkdir(level.c_str(), 0700) != 0 && errno != EEXIST)
            throw lastFailure(FileOperation::CreateFolder, level);
        if (end == std::string::npos)
            return;
    }
}

bool copyToNewFile(const std::string& source, const std::string& target) {
    const FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        throw lastFailure(FileOperation::Open, source);
    const std::string folder = folderOf(target);
    removeTemporariesIn(folder);
    std::string temporary = joinPath(folder, std::string(kTemporaryPrefix) + "XXXXXX");
    FileDescriptor out(::mkstemp(temporary.data()));  // owner only
    if (out.get() < 0)
        throw lastFailure(FileOperation::Write, target);
    char buffer[1 << 16];
    ssize_t got = 0;
    std::optional<FileError> failure;
    while (!failure && (got = ::read(in.get(), buffer, sizeof buffer)) != 0) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            failure = lastFailure(FileOperation::Read, source);
        else if (!writeAll(out.get(), std::string_view(buffer, static_cast<std::size_t>(got))))
            failure = lastFailure(FileOperation::Write, target);
    }
    if (!failure && ::fsync(out.get()) != 0)
        failure = lastFailure(FileOperation::Write, target);
    if (!out.close() && !failure)
        failure = lastFailure(FileOperation::Write, target);
    // A link takes the whole, flushed copy under its name, and never over another file.
    bool exists = false;
    if (!failure && ::link(temporary.c_str(), target.c_str()) != 0) {
        exists = errno == EEXIST;
        if (!exists)
            failure = lastFailure(FileOperation::Write, target);
    }
    ::unlink(temporary.c_str());
    if (failure)
        throw *failure;
    syncFolder(folder);
    return !exists;
}

std::vector<std::string> fileNamesIn(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        struct stat st {};
        const std::string name = entry->d_name;
        if (::stat(joinPath(folder, name).c_str(), &st) == 0 && S_ISREG(st.st_mode))
            names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

bool removeFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

}  // namespace kovrel::platform
