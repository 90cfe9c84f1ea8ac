#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"

// Drives, folders and files as the program names them: path texts of the form "X:\a\b" (or a
// host path, for an info file given on the command line). One interface; the implementation
// is chosen at build time (POSIX maps drive letters onto Wine's dosdevices folder).
namespace kovrel::platform {

enum class DriveKind { Unknown, Removable, Fixed, Network, CdRom, RamDisk };

struct Drive {
    char letter = 0;  // upper case
    DriveKind kind = DriveKind::Unknown;
};

// Every drive of the system, in letter order.
std::vector<Drive> listDrives();

// False for anything missing or unreachable (a drive that is not ready included).
bool folderExists(const std::string& path);
bool fileExists(const std::string& path);

// Every operation below that can fail throws kovrel::Error naming the path and the cause.

// Creates one folder whose parent exists.
void createFolder(const std::string& path);

// Opens a file for sequential binary reading.
std::unique_ptr<std::istream> openForReading(const std::string& path);

// Reads a whole file as bytes.
std::string readWholeFile(const std::string& path);

// Takes the next piece of a file's new content; throws when it cannot be written.
using ContentSink = std::function<void(std::string_view piece)>;
// Hands a file's new content to the sink piece by piece, in order; throwing abandons the save.
using ContentProducer = std::function<void(const ContentSink& sink)>;

// Writes the produced content to a temporary file in the same folder, flushes it to disk and
// renames it over path, so that path holds either its old bytes or all the new ones, never a
// mixture. The content streams to disk: a large declaration is never held twice in memory.
void replaceFileAtomically(const std::string& path, const ContentProducer& produce);
inline void replaceFileAtomically(const std::string& path, std::string_view content) {
    replaceFileAtomically(path, [content](const ContentSink& sink) { sink(content); });
}

// For the implementations of replaceFileAtomically: hands the produced content to write, piece by
// piece. Once write has failed for a full disk (diskFull() tells, after the failure), the rest
// is only counted, so that the cause can say how much room the file needs; any other failure
// throws fail(). The size of the whole content, and whether the disk was full.
struct WrittenContent {
    std::uint64_t bytes = 0;
    bool diskFull = false;
};
template <typename Write, typename DiskFull, typename Fail>
WrittenContent writeContent(const ContentProducer& produce, Write write, DiskFull diskFull,
                            Fail fail) {
    WrittenContent written;
    produce([&](std::string_view piece) {
        written.bytes += piece.size();
        if (written.diskFull || write(piece))
            return;
        if (!diskFull())
            throw fail();
        written.diskFull = true;
    });
    return written;
}

// The host file-system path that a path text stands for (for diagnostics and tests).
std::string hostPath(const std::string& path);

}  // namespace kovrel::platform
