#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/system_errors.h"
#include "platform/windows_api.h"

// Paths are UTF-8 texts; every call goes through the wide-character API so that folder and file
// names with Turkish letters reach the file system intact whatever the ANSI code page is.
namespace kovrel::platform {
namespace {

using messages::FileOperation;

DWORD attributesOf(const std::string& path) {
    const std::wstring wide = toWide(path);
    if (wide.empty())
        return INVALID_FILE_ATTRIBUTES;
    QuietErrors quiet;
    return ::GetFileAttributesW(wide.c_str());
}

DriveKind kindOf(UINT type) {
    switch (type) {
        case DRIVE_REMOVABLE:
            return DriveKind::Removable;
        case DRIVE_FIXED:
            return DriveKind::Fixed;
        case DRIVE_REMOTE:
            return DriveKind::Network;
        case DRIVE_CDROM:
            return DriveKind::CdRom;
        case DRIVE_RAMDISK:
            return DriveKind::RamDisk;
        default:
            return DriveKind::Unknown;
    }
}

}  // namespace

// Paths here are host paths already.
std::string hostPath(const std::string& path) {
    return path;
}

std::vector<Drive> listDrives() {
    std::vector<Drive> drives;
    const DWORD mask = ::GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if ((mask & (DWORD{1} << i)) == 0)
            continue;
        const char letter = static_cast<char>('A' + i);
        const wchar_t root[] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', L'\0'};
        drives.push_back({letter, kindOf(::GetDriveTypeW(root))});
    }
    return drives;
}

bool folderExists(const std::string& path) {
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool fileExists(const std::string& path) {
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void createFolder(const std::string& path) {
    const std::wstring wide = toWide(path);
    if (wide.empty())
        throw notUtf8(FileOperation::CreateFolder, path);
    QuietErrors quiet;
    if (!::CreateDirectoryW(wide.c_str(), nullptr))
        throw lastFailure(FileOperation::CreateFolder, path);
}

std::unique_ptr<std::istream> openForReading(const std::string& path) {
    const std::wstring wide = toWide(path);
    if (wide.empty())
        throw notUtf8(FileOperation::Open, path);
    {
        // The stream below cannot say why it failed; ask the system first.
        QuietErrors quiet;
        const FileHandle probe(::CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe.valid())
            throw lastFailure(FileOperation::Open, path);
    }
    // libstdc++ opens a wide path with _wfopen.
    auto in = std::make_unique<std::ifstream>(std::filesystem::path(wide), std::ios::binary);
    if (!in->is_open())
        throw lastFailure(FileOperation::Open, path);
    return in;
}

std::string readWholeFile(const std::string& path) {
    const auto in = openForReading(path);
    std::ostringstream buffer;
    buffer << in->rdbuf();
    if (in->bad())
        throw lastFailure(FileOperation::Read, path);
    return std::move(buffer).str();
}

}  // namespace kovrel::platform
