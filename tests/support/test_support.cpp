#include "support/test_support.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "conversion/target_path.h"
#include "platform/file_system.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kovrel::test {
namespace fs = std::filesystem;
namespace {

// Sets a variable of the environment, or removes it when there is none.
void setVariable(const char* name, const std::optional<std::string>& value) {
#ifdef _WIN32
    _putenv_s(name, value ? value->c_str() : "");  // an empty value removes it
#else
    value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
#endif
}

// Where the program keeps what it keeps for the user: the kept declarations.
#ifdef _WIN32
constexpr const char* kUserFolderVariable = "LOCALAPPDATA";
#else
constexpr const char* kUserFolderVariable = "XDG_STATE_HOME";
#endif

// Removes everything inside a folder, read-only files and folders too; the folder stays.
void empty(const fs::path& folder) {
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(folder, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (!it->is_symlink(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    for (const auto& entry : fs::directory_iterator(folder, ignored))
        fs::remove_all(entry.path(), ignored);
}

#ifdef _WIN32
std::string scratchLetters() {
    const char* letters = std::getenv("KOVREL_TEST_DRIVES");
    return letters ? letters : "";
}
#endif

}  // namespace

TempFolder::TempFolder() {
    std::random_device random;
    do
        path_ = fs::temp_directory_path() / ("kovrel-test-" + std::to_string(random()));
    while (!fs::create_directory(path_));
}

TempFolder::~TempFolder() {
    empty(path_);
    std::error_code ignored;
    fs::remove(path_, ignored);
}

TempDrive::TempDrive(std::string_view letters) : firstLetter_(letters.at(0)) {
    for (const char* name : {"WINEPREFIX", kUserFolderVariable}) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    }
    setVariable(kUserFolderVariable, userFolder().string());
#ifdef _WIN32
    const std::string scratch = scratchLetters();
    for (const char letter : letters) {
        if (scratch.find(letter) == std::string::npos)
            throw std::runtime_error(std::string("no scratch drive ") + letter +
                                     ": in KOVREL_TEST_DRIVES (scripts/windows-test.sh)");
    }
    for (const char letter : scratch)
        empty(rootOf(letter));
#else
    fs::create_directories(dosdevices());
    for (const char letter : letters) {
        fs::create_directories(rootOf(letter));
        link(std::string(1, letter) + ":", rootOf(letter));
    }
    setVariable("WINEPREFIX", (base_.path() / "prefix").string());
#endif
}

TempDrive::~TempDrive() {
    for (const auto& [name, value] : saved_)
        setVariable(name, value);
    std::error_code ignored;
    if (media_)
        fs::remove_all(*media_, ignored);
}

#ifdef _WIN32
fs::path TempDrive::rootOf(char letter) const {
    return std::string(1, static_cast<char>(letter - 'a' + 'A')) + ":\\";
}

std::optional<fs::path> TempDrive::removable() {
    for (const char letter : scratchLetters()) {
        if (::GetDriveTypeW(rootOf(letter).c_str()) == DRIVE_REMOVABLE)
            return rootOf(letter);
    }
    throw std::runtime_error("no removable drive in KOVREL_TEST_DRIVES");
}
#else
fs::path TempDrive::rootOf(char letter) const {
    return base_.path() / (std::string("drive-") + letter);
}

std::optional<fs::path> TempDrive::removable() {
    const fs::path media = fs::path("/media") / base_.path().filename();
    std::error_code error;
    if (!fs::create_directory(media, error))
        return std::nullopt;
    media_ = media;
    link("c:", media);
    return media;
}

void TempDrive::link(const std::string& name, const fs::path& target) const {
    fs::create_directory_symlink(target, dosdevices() / name);
}
#endif

void writeBytes(const fs::path& file, std::string_view bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        throw std::runtime_error("cannot write " + file.string());
}

std::string readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> InfoHeader::lines() const {
    std::vector<std::string> result{taxOfficeCode + "\xB3" + periodText + "\xB3" + type};
    for (const std::string* value :
         {&taxNo, &surname, &firstName, &identityNo, &tradeRegistryNo, &email, &areaCode, &phoneNo,
          &title, &activity, &preparerTaxNo})
        result.push_back(value->empty() ? " " : *value);
    return result;
}

std::string infoFileText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

std::string infoFileText(const InfoHeader& header, const std::string& records) {
    std::string text = infoFileText(header.lines());
    for (const char c : records) {
        if (c == '\n')
            text += '\r';
        text += c == '|' ? '\xB3' : c;
    }
    return text;
}

Scene::Scene(std::string_view letters) : drive(letters) {
    for (const char letter : letters)
        fs::create_directories(drive.rootOf(letter) / "ebyn");
}

fs::path Scene::declaration(char letter) const {
    const std::string root = conversion::ebynRoot(std::string(1, letter));
    return platform::hostPath(conversion::targetXmlPath(root, read().header));
}

std::set<std::string> Scene::beside(char letter) const {
    const fs::path file = declaration(letter);
    std::set<std::string> names;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(file.parent_path(), ignored))
        names.insert(entry.path().filename().string());
    names.erase(file.filename().string());
    return names;
}

}  // namespace kovrel::test
