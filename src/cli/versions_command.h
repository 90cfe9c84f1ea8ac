#pragma once

#include <ostream>

#include "cli/options.h"

// kovrel-convert --versions and --restore N: the declarations that runs replaced, and putting
// one back.
namespace kovrel::cli {

int listVersions(const Options& options, std::ostream& out);
int restoreVersion(const Options& options, std::ostream& out);

}  // namespace kovrel::cli
