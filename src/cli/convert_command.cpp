#include "cli/convert_command.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <optional>

#include "cli/cli_texts.h"
#include "conversion/conversion_run.h"
#include "conversion/enterprise.h"
#include "conversion/target_path.h"
#include "infofile/declaration_header.h"
#include "kovrel_version.h"
#include "platform/file_system.h"
#include "platform/messages.h"
#include "textconv/normalize_amount.h"

namespace kovrel::cli {
namespace {

using conversion::Mode;

struct Options {
    std::string infoFile;
    std::optional<std::string> drive, mode, enterprise;
    bool newRecord = false;
    bool dryRun = false;
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

// Parses "--name value" and "--name=value"; throws UsageError.
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
        {"--withheld-tax", &Options::withheldTax}};
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

Mode chooseMode(const Options& options, bool fileExists) {
    if (!options.mode)
        return fileExists ? Mode::AddToExisting : Mode::CreateNew;
    if (*options.mode == "add")
        return Mode::AddToExisting;
    if (*options.mode == "create")
        return Mode::CreateNew;
    throw UsageError{texts::badMode(*options.mode)};
}

// The declaration's enterprises, read as the window reads them when it starts.
conversion::EnterpriseListing listEnterprises(const std::string& path) {
    try {
        return conversion::listEnterprisesIn(path);
    } catch (const ParseError& e) {
        throw Failure{messages::kXmlReadFailed, std::string(e.what()) + "\n" + texts::kCreateAnew,
                      kUsage};
    } catch (const Error& e) {
        throw Failure{messages::kXmlReadFailed, e.what(), kUsage};
    }
}

// The enterprise the options name, or the one the window would start with.
conversion::EnterpriseChoice chooseEnterprise(const Options& options, Mode mode,
                                              const std::string& path, bool fileExists) {
    if (options.newRecord && options.enterprise)
        throw UsageError{texts::kNewAndEnterprise};
    if (options.enterprise && mode == Mode::CreateNew)
        throw UsageError{texts::kEnterpriseNeedsAdd};
    std::optional<conversion::EnterpriseListing> listing;
    if (fileExists && mode == Mode::AddToExisting)
        listing = listEnterprises(path);
    if (options.newRecord)
        return conversion::EnterpriseChoice::newRecord();
    if (options.enterprise) {
        // Without a file the run stops before it looks for the enterprise.
        if (listing && std::find(listing->titles.begin(), listing->titles.end(),
                                 *options.enterprise) == listing->titles.end()) {
            throw UsageError{texts::noSuchEnterprise(*options.enterprise, listing->titles)};
        }
        return conversion::EnterpriseChoice::existing(*options.enterprise);
    }
    const auto choice = conversion::defaultEnterprise(mode, listing ? &*listing : nullptr);
    if (!choice)
        throw UsageError{texts::kNoEnterpriseYet};
    return *choice;
}

conversion::NewEnterpriseFields newRecordFields(const Options& options,
                                                const infofile::HeaderRead& read) {
    conversion::NewEnterpriseFields fields;
    fields.title = options.title.value_or(read.title);
    fields.activity = options.activity.value_or(read.activity);
    fields.share = options.share.value_or("");
    fields.profit = textconv::normalizeAmount(options.profit.value_or(""), 0).text;
    fields.loss = textconv::normalizeAmount(options.loss.value_or(""), 0).text;
    fields.withheldTax = options.withheldTax.value_or("");
    return fields;
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

int convert(const Options& options, std::ostream& out) {
    const infofile::HeaderRead read = readHeader(options.infoFile);
    const auto& header = read.header;
    if (!header.isIncomeTax() && (options.newRecord || options.enterprise))
        throw UsageError{texts::kNotIncomeTax};

    conversion::RunChoices choices;
    choices.driveText = chooseDrive(options);
    const std::string path =
        conversion::targetXmlPath(conversion::ebynRoot(choices.driveText), header);
    const bool fileExists = platform::fileExists(path);
    choices.mode = chooseMode(options, fileExists);
    if (header.isIncomeTax())
        choices.enterprise = chooseEnterprise(options, choices.mode, path, fileExists);
    choices.fields = newRecordFields(options, read);
    choices.dryRun = options.dryRun;

    const auto outcome = conversion::ConversionRun(header, options.infoFile, choices);
    switch (outcome.end) {
        case conversion::RunEnd::Completed:
            if (options.dryRun) {
                out << outcome.document;
            } else {
                out << outcome.targetXmlPath << '\n';
            }
            return kSaved;
        case conversion::RunEnd::AppendTargetMissing:
            throw Failure{messages::kAppendTargetMissing, outcome.targetXmlPath, kRunFailed};
        case conversion::RunEnd::DuplicateTitle:
            throw Failure{messages::kDuplicateTitle, choices.fields.title, kDuplicateTitle};
        case conversion::RunEnd::SaveFailed:
        case conversion::RunEnd::Failed:
            break;
    }
    throw Failure{messages::kRunFailed, outcome.cause, kRunFailed};
}

}  // namespace

int runConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        bool helpOrVersion = false;
        const Options options = parseOptions(args, helpOrVersion, out);
        return helpOrVersion ? kSaved : convert(options, out);
    } catch (const UsageError& e) {
        err << "kovrel-convert: " << e.message << '\n' << texts::kSeeHelp << '\n';
        return kUsage;
    } catch (const Failure& e) {
        err << e.headline << '\n';
        if (!e.cause.empty())
            err << e.cause << '\n';
        return e.status;
    } catch (...) {
        err << messages::kRunFailed << '\n' << messages::causeOf(std::current_exception()) << '\n';
        return kRunFailed;
    }
}

}  // namespace kovrel::cli
