#include "cli/convert_command.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "conversion/conversion_run.h"
#include "conversion/enterprise.h"
#include "conversion/messages.h"
#include "conversion/target_path.h"
#include "infofile/declaration_header.h"
#include "kovrel_version.h"
#include "platform/file_system.h"
#include "textconv/normalize_amount.h"

namespace kovrel::cli {
namespace {

namespace messages = conversion::messages;
using conversion::Mode;

constexpr const char* kUsageText =
    "Usage: kovrel-convert [options] INFO_FILE\n"
    "Converts a declaration info file (beyan.txt) into the e-declaration XML file in the\n"
    "client's ebyn folder tree, as the Kovrel window does when its button is pressed.\n"
    "\n"
    "Options:\n"
    "  --drive X            drive of the ebyn folder (default: the first drive that has one)\n"
    "  --mode add|create    add to the existing file or create it anew\n"
    "                       (default: add when the file exists, create otherwise)\n"
    "  --new                income tax: write a new commercial earnings record\n"
    "  --enterprise TITLE   income tax: write for an enterprise already in the file\n"
    "  --title TEXT         new record: title (default: line 10 of the info file)\n"
    "  --activity TEXT      new record: field of activity (default: line 11)\n"
    "  --share TEXT         new record: share ratio\n"
    "  --profit AMOUNT      new record: profit (separators normalised)\n"
    "  --loss AMOUNT        new record: loss (separators normalised)\n"
    "  --withheld-tax TEXT  new record: withheld income tax\n"
    "  --dry-run            print the declaration instead of saving it\n"
    "  --help, --version\n"
    "\n"
    "Exit status: 0 saved, 1 the run failed, 2 bad usage or start-up failure,\n"
    "3 the new title is already in the file.\n";

struct Options {
    std::string infoFile;
    std::optional<std::string> drive, mode, enterprise;
    bool newRecord = false;
    bool dryRun = false;
    std::optional<std::string> title, activity, share, profit, loss, withheldTax;
};

struct UsageError {
    std::string message;
};

// The existing declaration could not be read to list its enterprises (start-up's failure).
struct ListingError {
    std::string cause;
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
            out << kUsageText;
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
                throw UsageError{"unknown option " + name};
            if (equals != std::string::npos) {
                options.*(option->second) = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                options.*(option->second) = args[++i];
            } else {
                throw UsageError{name + " needs a value"};
            }
            continue;
        }
        if (!options.infoFile.empty())
            throw UsageError{"more than one info file given"};
        options.infoFile = arg;
    }
    if (options.infoFile.empty())
        throw UsageError{"no info file given"};
    return options;
}

std::string chooseDrive(const Options& options) {
    if (options.drive) {
        std::string text = *options.drive;
        if (text.size() == 2 && text[1] == ':')
            text.pop_back();
        if (text.size() != 1 || !std::isalpha(static_cast<unsigned char>(text[0])))
            throw UsageError{"--drive takes a drive letter, not \"" + *options.drive + "\""};
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        const auto drives = platform::listDrives();
        if (std::none_of(drives.begin(), drives.end(),
                         [&](const platform::Drive& d) { return d.letter == letter; }))
            throw UsageError{std::string("there is no drive ") + letter + ":"};
        return std::string(1, letter);
    }
    const auto drives = conversion::ebynDrives();
    if (drives.empty())
        throw UsageError{"no drive holds an ebyn folder; name one with --drive"};
    return std::string(1, drives.front());
}

Mode chooseMode(const Options& options, bool fileExists) {
    if (!options.mode)
        return fileExists ? Mode::AddToExisting : Mode::CreateNew;
    if (*options.mode == "add")
        return Mode::AddToExisting;
    if (*options.mode == "create")
        return Mode::CreateNew;
    throw UsageError{"--mode takes add or create, not \"" + *options.mode + "\""};
}

std::string listOf(const std::vector<std::string>& titles) {
    if (titles.empty())
        return " (none)";
    std::string text;
    for (const auto& t : titles)
        text += "\n  " + t;
    return text;
}

// The enterprise the options name, or the one the window would start with.
conversion::EnterpriseChoice chooseEnterprise(const Options& options, Mode mode,
                                              const std::string& path, bool fileExists) {
    if (options.newRecord && options.enterprise)
        throw UsageError{"--new and --enterprise exclude each other"};
    if (options.enterprise && mode == Mode::CreateNew)
        throw UsageError{"--enterprise needs --mode add: a new file has no enterprises"};
    std::optional<conversion::EnterpriseListing> listing;
    if (fileExists && mode == Mode::AddToExisting) {
        try {
            listing = conversion::listEnterprises(platform::readWholeFile(path));
        } catch (const Error& e) {
            throw ListingError{e.what()};
        }
    }
    if (options.newRecord)
        return conversion::EnterpriseChoice::newRecord();
    if (options.enterprise) {
        // Without a file the run stops before it looks for the enterprise.
        if (listing && std::find(listing->titles.begin(), listing->titles.end(),
                                 *options.enterprise) == listing->titles.end()) {
            throw UsageError{"the file lists no enterprise \"" + *options.enterprise +
                             "\"; it lists:" + listOf(listing->titles)};
        }
        return conversion::EnterpriseChoice::existing(*options.enterprise);
    }
    const auto choice = conversion::defaultEnterprise(mode, listing ? &*listing : nullptr);
    if (!choice) {
        throw UsageError{
            "the file lists no enterprise yet; choose --new for a new record or "
            "--enterprise TITLE for an existing one"};
    }
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

void report(std::ostream& err, const char* message, const std::string& cause) {
    err << message << '\n';
    if (!cause.empty())
        err << cause << '\n';
}

}  // namespace

int runConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        bool helpOrVersion = false;
        const Options options = parseOptions(args, helpOrVersion, out);
        if (helpOrVersion)
            return kSaved;

        if (!platform::fileExists(options.infoFile)) {
            report(err, messages::kInfoFileMissing, options.infoFile);
            return kUsage;
        }
        std::optional<infofile::HeaderRead> read;
        try {
            read = infofile::readDeclarationHeader(options.infoFile);
        } catch (const Error& e) {
            report(err, messages::kXmlReadFailed, e.what());
            return kUsage;
        }
        const auto& header = read->header;
        if (!header.isIncomeTax() && (options.newRecord || options.enterprise))
            throw UsageError{"--new and --enterprise are for income tax (GELIR) declarations"};

        conversion::RunChoices choices;
        choices.driveText = chooseDrive(options);
        const std::string path =
            conversion::targetXmlPath(conversion::ebynRoot(choices.driveText), header);
        const bool fileExists = platform::fileExists(path);
        choices.mode = chooseMode(options, fileExists);
        if (header.isIncomeTax()) {
            try {
                choices.enterprise = chooseEnterprise(options, choices.mode, path, fileExists);
            } catch (const ListingError& e) {
                report(err, messages::kXmlReadFailed, e.cause);
                return kUsage;
            }
        }
        choices.fields = newRecordFields(options, *read);
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
                report(err, messages::kAppendTargetMissing, outcome.targetXmlPath);
                return kRunFailed;
            case conversion::RunEnd::DuplicateTitle:
                report(err, messages::kDuplicateTitle, choices.fields.title);
                return kDuplicateTitle;
            case conversion::RunEnd::Failed:
                report(err, messages::kRunFailed, outcome.cause);
                return kRunFailed;
        }
        return kRunFailed;
    } catch (const UsageError& e) {
        err << "kovrel-convert: " << e.message << '\n' << "Try kovrel-convert --help.\n";
        return kUsage;
    }
}

}  // namespace kovrel::cli
