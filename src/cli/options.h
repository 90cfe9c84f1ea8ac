#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "infofile/declaration_header.h"

// What kovrel-convert was asked, and the steps every command of it takes first.
namespace kovrel::cli {

struct Options {
    std::string infoFile;
    std::optional<std::string> drive, mode, enterprise, restore;
    bool newRecord = false;
    bool dryRun = false;
    bool versions = false;
    std::optional<std::string> title, activity, share, profit, loss, withheldTax;
};

// Bad usage: the converter's own sentence, then where to find help.
struct UsageError {
    std::string message;
};

// A failure with the program's headline and the cause below it.
struct Failure {
    const char* headline;
    std::string cause;
    int status;
};

// Parses "--name value" and "--name=value"; prints the help or the version to out and sets
// helpOrVersion when asked for them. Throws UsageError.
Options parseOptions(const std::vector<std::string>& args, bool& helpOrVersion, std::ostream& out);

// The info file's header, as the window reads it at start-up; throws Failure.
infofile::HeaderRead readHeader(const std::string& infoFile);

// The drive letter --drive names, or the first drive that holds an ebyn folder; throws
// UsageError.
std::string chooseDrive(const Options& options);

}  // namespace kovrel::cli
