#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <utility>

#include "platform/file_system.h"
#include "platform/messages.h"
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

using messages::FileOperation;

FileProblem problemOf(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return FileProblem::NotFound;
        case EACCES:
        case EPERM:
            return FileProblem::AccessDenied;
        case EROFS:
            return FileProblem::ReadOnly;
        case ENOSPC:
        case EDQUOT:
            return FileProblem::DiskFull;
        case EFBIG:
            return FileProblem::TooLarge;
        case ETXTBSY:
        case EBUSY:
            return FileProblem::InUse;
        case ENAMETOOLONG:
            return FileProblem::PathTooLong;
        default:
            return FileProblem::Other;
    }
}

std::uint64_t freeBytesIn(const std::string& folder) {
    struct statvfs st {};
    if (::statvfs(folder.c_str(), &st) != 0)
        return 0;
    return static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize;
}

std::string folderOf(const std::string& hostFile) {
    const auto slash = hostFile.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : hostFile.substr(0, slash);
}

std::string baseName(const std::string& hostFile) {
    const auto slash = hostFile.rfind('/');
    return slash == std::string::npos ? hostFile : hostFile.substr(slash + 1);
}

constexpr const char* kTempMarker = ".kovrel-tmp-";

// A run killed during an earlier save leaves its temporary file behind; clear it away.
void removeStaleTemporaries(const std::string& folder, const std::string& name) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const std::string prefix = "." + name + kTempMarker;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string entryName = entry->d_name;
        if (entryName.rfind(prefix, 0) == 0)
            ::unlink((folder + "/" + entryName).c_str());
    }
    ::closedir(dir);
}

bool writeAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

// The failure that errno describes; the system's own (English) text only where no Turkish
// cause fits.
FileError lastFailure(FileOperation operation, const std::string& path) {
    const int error = errno;
    const FileProblem problem = problemOf(error);
    return FileError(problem,
                     messages::fileFailure(operation, path, problem, std::strerror(error)));
}

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

namespace {

// Closes a descriptor at the end of its scope, whatever way the scope is left.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    // Closes now and tells whether the close succeeded (a delayed write error shows there).
    bool close() {
        const int fd = std::exchange(fd_, -1);
        return fd < 0 || ::close(fd) == 0;
    }

  private:
    int fd_;
};

}  // namespace

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

void replaceFileAtomically(const std::string& path, const ContentProducer& produce) {
    const std::string target = hostPath(path);
    const std::string folder = folderOf(target);
    const std::string name = baseName(target);

    mode_t mode = 0666;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        // A read-only declaration stays as it is, as it would on Windows.
        if ((st.st_mode & 0222) == 0) {
            throw FileError(FileProblem::ReadOnly, messages::fileFailure(FileOperation::Write, path,
                                                                         FileProblem::ReadOnly));
        }
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= static_cast<mode_t>(~mask);
    }

    removeStaleTemporaries(folder, name);
    std::string tempPath = folder + "/." + name + kTempMarker + "XXXXXX";
    FileDescriptor fd(::mkstemp(tempPath.data()));
    if (fd.get() < 0)
        throw lastFailure(FileOperation::Write, path);
    // Once the disk is full the rest is only counted, so that the cause can say how much room
    // the file needs.
    std::uint64_t total = 0;
    bool noSpace = false;
    try {
        produce([&](std::string_view piece) {
            total += piece.size();
            if (noSpace || writeAll(fd.get(), piece))
                return;
            if (errno != ENOSPC && errno != EDQUOT)
                throw lastFailure(FileOperation::Write, path);
            noSpace = true;
        });
        if (!noSpace && (::fchmod(fd.get(), mode) != 0 || ::fsync(fd.get()) != 0 || !fd.close())) {
            if (errno != ENOSPC && errno != EDQUOT)
                throw lastFailure(FileOperation::Write, path);
            noSpace = true;
        }
        if (noSpace) {
            fd.close();
            ::unlink(tempPath.c_str());
            throw FileError(FileProblem::DiskFull,
                            messages::diskFull(path, total, freeBytesIn(folder)));
        }
        if (::rename(tempPath.c_str(), target.c_str()) != 0)
            throw lastFailure(FileOperation::Write, path);
    } catch (...) {
        ::unlink(tempPath.c_str());
        throw;
    }
    // Make the rename itself durable.
    if (const FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY)); dir.get() >= 0)
        ::fsync(dir.get());
}

void replaceFileAtomically(const std::string& path, std::string_view content) {
    replaceFileAtomically(path, [content](const ContentSink& sink) { sink(content); });
}

}  // namespace kovrel::platform
