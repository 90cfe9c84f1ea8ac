#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <utility>

#include "platform/file_system.h"
#include "platform/posix_files.h"
#include "platform/system_errors.h"

// Drive letters are Wine's: the entries "x:" of $WINEPREFIX/dosdevices (default ~/.wine).
namespace kovrel::platform {
namespace {

std::string dosdevicesFolder() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix) {
        return std::string(prefix) + "/dosdevices";
    }
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.wine/dosdevices";
}

bool isFolder(const std::string& hostPath) {
    struct stat st {};
    return ::stat(hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool hasDrivePrefix(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

// The dosdevices entry of a drive letter as it is spelled on disk ("d:" or "D:").
std::string driveEntry(char letter) {
    const std::string folder = dosdevicesFolder() + "/";
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    std::string entry = folder + lower + ':';
    if (isFolder(entry))
        return entry;
    std::string other = folder + upper + ':';
    return isFolder(other) ? other : entry;
}

}  // namespace

using messages::FileOperation;

std::string hostPath(const std::string& path) {
    if (!hasDrivePrefix(path))
        return path;
    std::string rest = path.substr(2);
    std::replace(rest.begin(), rest.end(), '\\', '/');
    if (!rest.empty() && rest.front() != '/')
        rest.insert(rest.begin(), '/');
    return driveEntry(path[0]) + rest;
}

std::vector<Drive> listDrives() {
    std::vector<Drive> drives;
    const std::string folder = dosdevicesFolder();
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return drives;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() != 2 || name[1] != ':' ||
            !std::isalpha(static_cast<unsigned char>(name[0])))
            continue;
        const std::string target = folder + "/" + name;
        if (!isFolder(target))
            continue;
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
        if (std::any_of(drives.begin(), drives.end(),
                        [&](const Drive& d) { return d.letter == letter; }))
            continue;
        DriveKind kind = DriveKind::Fixed;
        char resolved[PATH_MAX];
        if (::realpath(target.c_str(), resolved)) {
            const std::string real = resolved;
            if (real.rfind("/media/", 0) == 0 || real.rfind("/run/media/", 0) == 0)
                kind = DriveKind::Removable;
        }
        drives.push_back({letter, kind});
    }
    ::closedir(dir);
    std::sort(drives.begin(), drives.end(),
              [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
    return drives;
}

bool folderExists(const std::string& path) {
    return isFolder(hostPath(path));
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(hostPath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void createFolder(const std::string& path) {
    if (::mkdir(hostPath(path).c_str(), 0777) != 0)
        throw lastFailure(FileOperation::CreateFolder, path);
}

std::unique_ptr<std::istream> openForReading(const std::string& path) {
    auto in = std::make_unique<std::ifstream>(hostPath(path), std::ios::binary);
    if (!in->is_open())
        throw lastFailure(FileOperation::Open, path);
    return in;
}

std::string readWholeFile(const std::string& path) {
    const FileDescriptor fd(::open(hostPath(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        throw lastFailure(FileOperation::Open, path);
    struct stat st {};
    std::string bytes;
    if (::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode))
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[1 << 16];
    ssize_t got = 0;
    while ((got = ::read(fd.get(), buffer, sizeof buffer)) != 0) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw lastFailure(FileOperation::Read, path);
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return bytes;
}

}  // namespace kovrel::platform
