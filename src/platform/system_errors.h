#pragma once

#include <string>

#include "platform/error.h"
#include "platform/messages.h"

// Shared by the platform's own implementation files: the system's last error as the catalogue
// words it.
namespace kovrel::platform {

// The failure that the last system call on path left (errno, or GetLastError on Windows).
FileError lastFailure(messages::FileOperation operation, const std::string& path);

}  // namespace kovrel::platform
