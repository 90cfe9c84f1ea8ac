#pragma once

#include <functional>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

// Creates one folder whose parent exists.
bool createFolder(const std::string& path, std::string& error);

// Opens a file for sequential binary reading; null with the cause in error.
std::unique_ptr<std::istream> openForReading(const std::string& path, std::string& error);

// Reads a whole file as bytes.
bool readWholeFile(const std::string& path, std::string& content, std::string& error);

// Takes the next piece of a file's new content; false when it cannot be written.
using ContentSink = std::function<bool(std::string_view piece)>;
// Hands a file's new content to the sink piece by piece, in order; false (with the cause in
// error, unless the sink failed) abandons the save.
using ContentProducer = std::function<bool(const ContentSink& sink, std::string& error)>;

// Writes the produced content to a temporary file in the same folder, flushes it to disk and
// renames it over path, so that path holds either its old bytes or all the new ones, never a
// mixture. The content streams to disk: a large declaration is never held twice in memory.
bool replaceFileAtomically(const std::string& path, const ContentProducer& produce,
                           std::string& error);
bool replaceFileAtomically(const std::string& path, std::string_view content, std::string& error);

// The host file-system path that a path text stands for (for diagnostics and tests).
std::string hostPath(const std::string& path);

}  // namespace kovrel::platform
