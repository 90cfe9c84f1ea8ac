#include "conversion/versions.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>
#include <utility>

#include "platform/file_system.h"
#include "platform/user_files.h"

namespace kovrel::conversion {
namespace {

constexpr std::string_view kExtension = ".xml";
constexpr std::size_t kTimeLength = 19;  // "2026-12-06_14-03-27"

// "D:\ebyn\beyannameler\N\V_N_GELIR_10_P.xml" gives "D", "N" and "V_N_GELIR_10_P".
std::string folderName(const std::string& targetXmlPath) {
    const auto fileStart = targetXmlPath.rfind('\\') + 1;
    const auto taxpayerStart = targetXmlPath.rfind('\\', fileStart - 2) + 1;
    std::string file = targetXmlPath.substr(fileStart);
    if (file.ends_with(kExtension))
        file.resize(file.size() - kExtension.size());
    return targetXmlPath.substr(0, 1) + "-" +
           targetXmlPath.substr(taxpayerStart, fileStart - 1 - taxpayerStart) + "-" + file;
}

std::string timeText(std::time_t now) {
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d_%H-%M-%S", std::localtime(&now));
    return text;
}

// Versions sort by their time, then by the number that tells apart two in one second; names
// that are not a version's are no version.
std::optional<std::pair<std::string, int>> orderOf(const std::string& name) {
    if (name.size() < kTimeLength + kExtension.size() || !name.ends_with(kExtension))
        return std::nullopt;
    const std::string time = name.substr(0, kTimeLength);
    const std::string_view rest(name.data() + kTimeLength,
                                name.size() - kTimeLength - kExtension.size());
    if (std::count_if(time.begin(), time.end(), [](char c) { return c >= '0' && c <= '9'; }) != 14)
        return std::nullopt;
    if (rest.empty())
        return std::pair(time, 1);
    int number = 0;
    const auto [end, error] = std::from_chars(rest.data() + 1, rest.data() + rest.size(), number);
    if (rest[0] != '_' || error != std::errc() || end != rest.data() + rest.size() || number < 2)
        return std::nullopt;
    return std::pair(time, number);
}

}  // namespace

std::string versionFolder(const std::string& targetXmlPath) {
    return platform::joinPath(platform::joinPath(platform::userFolder(), "yedek"),
                              folderName(targetXmlPath));
}

void keepVersion(const std::string& targetXmlPath, std::time_t now) {
    const std::string folder = versionFolder(targetXmlPath);
    platform::createPrivateFolders(folder);
    const std::string time = timeText(now);
    const std::string source = platform::hostPath(targetXmlPath);
    for (int number = 1;; ++number) {
        std::string name = time;
        if (number > 1)
            name.append("_").append(std::to_string(number));
        name.append(kExtension);
        if (platform::copyToNewFile(source, platform::joinPath(folder, name)))
            return;
    }
}

void dropOldVersions(const std::string& targetXmlPath) {
    const auto versions = keptVersions(targetXmlPath);
    for (std::size_t i = kKeptVersions; i < versions.size(); ++i)
        platform::removeFile(versions[i].path);
}

std::vector<KeptVersion> keptVersions(const std::string& targetXmlPath) {
    const std::string folder = versionFolder(targetXmlPath);
    std::vector<std::pair<std::pair<std::string, int>, KeptVersion>> found;
    for (const auto& name : platform::fileNamesIn(folder)) {
        if (const auto order = orderOf(name))
            found.push_back({*order, {platform::joinPath(folder, name), name}});
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<KeptVersion> versions;
    for (auto& [order, version] : found)
        versions.push_back(std::move(version));
    return versions;
}

void restoreVersion(const std::string& targetXmlPath, const KeptVersion& version, std::time_t now) {
    const std::string content = platform::readWholeFile(version.path);
    if (platform::fileExists(targetXmlPath))
        keepVersion(targetXmlPath, now);
    platform::replaceFileAtomically(targetXmlPath, content);
    dropOldVersions(targetXmlPath);
}

}  // namespace kovrel::conversion
