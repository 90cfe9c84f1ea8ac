#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kovrel::cli {

enum ExitStatus { kSaved = 0, kRunFailed = 1, kUsage = 2, kDuplicateTitle = 3 };

// kovrel-convert with its arguments (without the program name): what the window does when
// started with the info file and its button pressed. Messages go to err, the declaration of a
// dry run (or the saved path) to out.
int runConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kovrel::cli
