#include <fcntl.h>

#include <cerrno>
#include <cstring>

#include "platform/posix_files.h"
#include "platform/system_errors.h"

namespace kovrel::platform {
namespace {

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

}  // namespace

// The failure that errno describes; the system's own (English) text only where no Turkish
// cause fits.
FileError lastFailure(FileOperation operation, const std::string& path) {
    const int error = errno;
    const FileProblem problem = problemOf(error);
    return FileError(problem,
                     messages::fileFailure(operation, path, problem, std::strerror(error)));
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

void syncFolder(const std::string& folder) {
    if (const FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY)); fd.get() >= 0)
        ::fsync(fd.get());
}

std::string folderOf(const std::string& hostFile) {
    const auto slash = hostFile.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : hostFile.substr(0, slash);
}

}  // namespace kovrel::platform
