#include "cli/versions_command.h"

#include <charconv>
#include <ctime>

#include "cli/cli_texts.h"
#include "cli/convert_command.h"
#include "conversion/enterprise.h"
#include "conversion/target_path.h"
#include "conversion/versions.h"
#include "platform/file_system.h"
#include "platform/messages.h"

namespace kovrel::cli {
namespace {

struct Target {
    infofile::HeaderRead read;
    std::string path;  // the declaration the info file leads to
};

Target targetOf(const Options& options) {
    Target target{readHeader(options.infoFile), {}};
    target.path =
        conversion::targetXmlPath(conversion::ebynRoot(chooseDrive(options)), target.read.header);
    return target;
}

// The enterprises a kept income tax declaration lists, so that a user can tell versions apart.
std::string enterprisesIn(const std::string& content) {
    try {
        const auto listing = conversion::listEnterprises(content);
        std::string titles;
        for (const auto& title : listing.titles)
            titles += (titles.empty() ? "" : ", ") + title;
        return titles.empty() ? texts::kNoEnterprises : titles;
    } catch (const Error&) {
        return texts::kUnreadableVersion;
    }
}

}  // namespace

int listVersions(const Options& options, std::ostream& out) {
    const Target target = targetOf(options);
    const auto versions = conversion::keptVersions(target.path);
    if (versions.empty()) {
        out << texts::noVersions(target.path) << '\n';
        return kSaved;
    }
    out << texts::versionsOf(target.path, conversion::versionFolder(target.path)) << '\n';
    for (std::size_t i = 0; i < versions.size(); ++i) {
        const std::string content = platform::readWholeFile(versions[i].path);
        out << texts::versionLine(i + 1, versions[i].name, content.size(),
                                  target.read.header.isIncomeTax() ? enterprisesIn(content) : "")
            << '\n';
    }
    out << texts::kHowToRestore << '\n';
    return kSaved;
}

int restoreVersion(const Options& options, std::ostream& out) {
    const Target target = targetOf(options);
    const auto versions = conversion::keptVersions(target.path);
    std::size_t number = 0;
    const std::string& text = *options.restore;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (versions.empty())
        throw UsageError{texts::noVersions(target.path)};
    if (error != std::errc() || end != text.data() + text.size() || number == 0 ||
        number > versions.size())
        throw UsageError{texts::noSuchVersion(text, versions.size())};
    try {
        conversion::restoreVersion(target.path, versions[number - 1], std::time(nullptr));
    } catch (const Error& e) {
        throw Failure{messages::kRunFailed, e.what(), kRunFailed};
    }
    out << target.path << '\n';
    return kSaved;
}

}  // namespace kovrel::cli
