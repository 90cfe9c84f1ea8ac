#pragma once

#include <string>
#include <vector>

// The user's own Kovrel folder, outside the e-declaration client's tree: what the program keeps
// for the user between runs. Paths here are host paths. Failures throw FileError.
namespace kovrel::platform {

// %LOCALAPPDATA%\Kovrel on Windows, $XDG_STATE_HOME/kovrel (default ~/.local/state/kovrel)
// elsewhere.
std::string userFolder();

// Joins a folder and a name with the host's separator.
std::string joinPath(const std::string& folder, const std::string& name);

// Creates the folder and any missing parent, each readable by its owner alone where the host
// has owners in its permissions (a folder that exists keeps its permissions).
void createPrivateFolders(const std::string& folder);

// Copies source into a new file target, readable by its owner alone, flushed to disk before
// it takes its name: target is the whole copy or absent, whenever the program is stopped. False
// when target exists already (nothing is written then).
bool copyToNewFile(const std::string& source, const std::string& target);

// The names of the files in a folder; none when it does not exist.
std::vector<std::string> fileNamesIn(const std::string& folder);

// Removes a file; false when it could not be removed.
bool removeFile(const std::string& path);

}  // namespace kovrel::platform
