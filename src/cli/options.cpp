#include "cli/options.h"

#include <algorithm>
#include <cctype>

#include "cli/cli_texts.h"
#include "cli/convert_command.h"
#include "conversion/target_path.h"
#include "kovrel_version.h"
#include "platform/file_system.h"
#include "platform/messages.h"

namespace kovrel::cli {

Options parseOptions(const std::vector<std::string>& args, bool& helpOrVersion, std::ostream& out) {
    Options options;
    const std::vector<std::pair<std::string, std::optional<std::string> Options::*>> valued{
        {"--drive", &Options::drive},
        {"--mode", &Options::mode},
        {"--enterprise", &Options::enterprise},
        {"--title", &Options::title},
        {"--activity", &Options::activity},
        {"--share", &Options::share},
        {"--profit", &Options::profit},
        {"--loss", &Options::loss},
        {"--withheld-tax", &Options::withheldTax},
        {"--restore", &Options::restore}};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out << texts::kHelp;
            helpOrVersion = true;
            return options;
        }
        if (arg == "--version") {
            out << "kovrel-convert " KOVREL_VERSION_TEXT "\n";
            helpOrVersion = true;
            return options;
        }
        if (arg == "--new") {
            options.newRecord = true;
            continue;
        }
        if (arg == "--dry-run") {
            options.dryRun = true;
            continue;
        }
        if (arg == "--versions") {
            options.versions = true;
            continue;
        }
        if (arg.rfind("--", 0) == 0 && arg.size() > 2) {
            const auto equals = arg.find('=');
            const std::string name = arg.substr(0, equals);
            const auto option = std::find_if(valued.begin(), valued.end(),
                                             [&](const auto& v) { return v.first == name; });
            if (option == valued.end())
                throw UsageError{texts::unknownOption(name)};
            if (equals != std::string::npos) {
                options.*(option->second) = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                options.*(option->second) = args[++i];
            } else {
                throw UsageError{texts::needsValue(name)};
            }
            continue;
        }
        if (!options.infoFile.empty())
            throw UsageError{texts::kTwoInfoFiles};
        options.infoFile = arg;
    }
    if (options.infoFile.empty())
        throw UsageError{texts::kNoInfoFile};
    return options;
}

std::string chooseDrive(const Options& options) {
    if (options.drive) {
        std::string text = *options.drive;
        if (text.size() == 2 && text[1] == ':')
            text.pop_back();
        if (text.size() != 1 || !std::isalpha(static_cast<unsigned char>(text[0])))
            throw UsageError{texts::badDrive(*options.drive)};
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        const auto drives = platform::listDrives();
        if (std::none_of(drives.begin(), drives.end(),
                         [&](const platform::Drive& d) { return d.letter == letter; }))
            throw UsageError{texts::noSuchDrive(letter)};
        return std::string(1, letter);
    }
    const auto drives = conversion::ebynDrives();
    if (drives.empty())
        throw UsageError{texts::kNoEbynDrive};
    return std::string(1, drives.front());
}

infofile::HeaderRead readHeader(const std::string& infoFile) {
    if (!platform::fileExists(infoFile))
        throw Failure{messages::kInfoFileMissing, messages::infoFileNotFound(infoFile), kUsage};
    try {
        return infofile::readDeclarationHeader(infoFile);
    } catch (const Error& e) {
        throw Failure{messages::kInfoFileUnreadable, e.what(), kUsage};
    }
}

}  // namespace kovrel::cli
