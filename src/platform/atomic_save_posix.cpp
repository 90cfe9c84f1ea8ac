#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstdint>

#include "platform/file_system.h"
#include "platform/posix_files.h"
#include "platform/system_errors.h"
#include "platform/user_files.h"

namespace kovrel::platform {
namespace {

using messages::FileOperation;

std::uint64_t freeBytesIn(const std::string& folder) {
    struct statvfs st {};
    if (::statvfs(folder.c_str(), &st) != 0)
        return 0;
    return static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize;
}

std::string baseName(const std::string& hostFile) {
    const auto slash = hostFile.rfind('/');
    return slash == std::string::npos ? hostFile : hostFile.substr(slash + 1);
}

constexpr const char* kTempMarker = ".kovrel-tmp-";

// A run killed during an earlier save leaves its temporary file behind; clear it away.
void removeStaleTemporaries(const std::string& folder, const std::string& name) {
    const std::string prefix = "." + name + kTempMarker;
    for (const auto& entry : fileNamesIn(folder)) {
        if (entry.starts_with(prefix))
            ::unlink(joinPath(folder, entry).c_str());
    }
}

}  // namespace

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
    const auto diskFull = [] { return errno == ENOSPC || errno == EDQUOT; };
    const auto failed = [&] { return lastFailure(FileOperation::Write, path); };
    try {
        WrittenContent written = writeContent(
            produce, [&](std::string_view piece) { return writeAll(fd.get(), piece); }, diskFull,
            failed);
        if (!written.diskFull &&
            (::fchmod(fd.get(), mode) != 0 || ::fsync(fd.get()) != 0 || !fd.close())) {
            if (!diskFull())
                throw failed();
            written.diskFull = true;
        }
        if (written.diskFull) {
            fd.close();
            ::unlink(tempPath.c_str());
            throw FileError(FileProblem::DiskFull,
                            messages::diskFull(path, written.bytes, freeBytesIn(folder)));
        }
        if (::rename(tempPath.c_str(), target.c_str()) != 0)
            throw lastFailure(FileOperation::Write, path);
    } catch (...) {
        ::unlink(tempPath.c_str());
        throw;
    }
    // Make the rename itself durable.
    syncFolder(folder);
}

}  // namespace kovrel::platform
