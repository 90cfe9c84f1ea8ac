#include "cli/convert_command.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "cli/cli_texts.h"
#include "cli/options.h"
#include "cli/versions_command.h"
#include "conversion/conversion_run.h"
#include "conversion/enterprise.h"
#include "conversion/target_path.h"
#include "infofile/declaration_header.h"
#include "platform/file_system.h"
#include "platform/messages.h"
#include "textconv/normalize_amount.h"

namespace kovrel::cli {
namespace {

using conversion::Mode;

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
        if (helpOrVersion)
            return kSaved;
        if (options.versions && options.restore)
            throw UsageError{texts::kVersionsAndRestore};
        if (options.versions)
            return listVersions(options, out);
        if (options.restore)
            return restoreVersion(options, out);
        return convert(options, out);
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
