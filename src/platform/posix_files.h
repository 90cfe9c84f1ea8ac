#pragma once

// What the POSIX implementations of the platform share. POSIX only.
#include <unistd.h>

#include <string>
#include <string_view>
#include <utility>

namespace kovrel::platform {

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

// Writes all of content, as many calls as that takes; false (errno set) when a write fails.
bool writeAll(int fd, std::string_view content);

// Flushes a folder's entries to disk, so that a rename or a new name in it lasts.
void syncFolder(const std::string& folder);

// The folder of a host file path.
std::string folderOf(const std::string& hostFile);

}  // namespace kovrel::platform
