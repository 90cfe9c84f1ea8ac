#pragma once

#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

// Every declaration a run or a restore replaces is kept first, in the user's own folder, so
// that no choice made in the window can lose a return the user completed in the client.
namespace kovrel::conversion {

inline constexpr std::size_t kKeptVersions = 20;

struct KeptVersion {
    std::string path;  // host path of the kept file
    std::string name;  // "2026-12-06_14-03-27.xml", "_2" before ".xml" for a second in one second
};

// The folder that holds a declaration's versions: under the user's folder, "yedek", then one
// folder named by the drive, the taxpayer's folder and the file name of targetXmlPath.
std::string versionFolder(const std::string& targetXmlPath);

// Copies the declaration at targetXmlPath, as it is on disk now, into a new version named by
// the local time now, flushed to disk. Throws FileError when it cannot be kept.
void keepVersion(const std::string& targetXmlPath, std::time_t now);

// Removes all but the kKeptVersions newest versions; what cannot be removed stays.
void dropOldVersions(const std::string& targetXmlPath);

// The kept versions of a declaration, newest first.
std::vector<KeptVersion> keptVersions(const std::string& targetXmlPath);

// Puts a kept version back over the declaration with an atomic save, keeping the declaration it
// replaces as a version in turn. Throws Error (FileError for the file system) on failure.
void restoreVersion(const std::string& targetXmlPath, const KeptVersion& version, std::time_t now);

}  // namespace kovrel::conversion
