#pragma once

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "conversion/conversion_run.h"
#include "platform/error.h"
#include "platform/xml/document.h"

// What the tests share: temporary folders, Wine-style drives, info files and a drive D: with an
// info file and the declaration its header names.
namespace kovrel::test {

// A fresh temporary folder, removed with everything in it at the end of its scope.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// Gives the test, until its end, a drive for each letter asked for (lower case), each an empty
// folder, and a temporary folder for what the program keeps for the user. On POSIX WINEPREFIX
// points at a temporary prefix whose dosdevices folder links each letter. A Windows process keeps
// the drives it was started with: scripts/windows-test.sh links scratch drives before Wine starts
// and names them in KOVREL_TEST_DRIVES; all of them are emptied here, and a letter asked for that
// is none of them fails the test.
class TempDrive {
  public:
    explicit TempDrive(std::string_view letters = "d");
    ~TempDrive();

    // Where the program keeps what it keeps for the user while this drive lives.
    std::filesystem::path userFolder() const { return base_.path() / "user"; }
    // The host folder of the first letter's drive, or of a letter given.
    std::filesystem::path root() const { return rootOf(firstLetter_); }
    std::filesystem::path rootOf(char letter) const;
    // An empty removable drive whose letter comes before those asked for: C: linked to a folder
    // under /media on POSIX (none where /media cannot be written), the scratch drive that
    // Windows calls removable there.
    std::optional<std::filesystem::path> removable();
#ifndef _WIN32
    std::filesystem::path dosdevices() const {
        return base_.path() / "prefix" / "dosdevices";
    }
    // An entry dosdevices/<name> linking to target (any name: "e:", "ab:", "x").
    void link(const std::string& name, const std::filesystem::path& target) const;
#endif

  private:
    TempFolder base_;
    char firstLetter_;
    std::optional<std::filesystem::path> media_;  // removed at the end
    // The variables set here, as they were before.
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

// Writes bytes exactly as given, creating missing folders; reads them (none if it cannot).
void writeBytes(const std::filesystem::path& file, std::string_view bytes);
std::string readBytes(const std::filesystem::path& file);

// The 12 header lines of an info file, in code page 857; an empty value is written as a space.
struct InfoHeader {
    std::string taxOfficeCode = "034260", periodText = "2023", type = "GELIR", taxNo = "1234567890",
                surname = "YILMAZ", firstName = "AHMET", identityNo = "", tradeRegistryNo = "12345",
                email = "ahmet@example.com", areaCode = "212", phoneNo = "5551234",
                title = "YILMAZ TICARET", activity = "TOPTAN TICARET", preparerTaxNo = "9876543210";

    std::vector<std::string> lines() const;
};

// Lines each followed by CR LF. Or a whole info file: the header, then the records as the file
// holds them but for '|' standing for the field separator (byte 179) and '\n' for CR LF.
std::string infoFileText(const std::vector<std::string>& lines);
std::string infoFileText(const InfoHeader& header, const std::string& records);

// Drive D: and the other drives given, each with an ebyn folder; D: holds the info file.
struct Scene {
    explicit Scene(std::string_view letters = "d");

    void writeInfo(std::string_view bytes) const { writeBytes(drive.root() / "beyan.txt", bytes); }
    infofile::HeaderRead read() const { return infofile::readDeclarationHeader(infoPath); }
    // The host path of the declaration that the info file's header names on a drive.
    std::filesystem::path declaration(char letter = 'D') const;
    // Everything in that declaration's folder but the declaration.
    std::set<std::string> beside(char letter = 'D') const;
    conversion::RunOutcome run(const conversion::RunChoices& choices) const {
        return conversion::ConversionRun(read().header, infoPath, choices);
    }

    const TempDrive drive;
    const std::string infoPath = "D:\\beyan.txt";
};

// The cause an operation fails with; empty when it does not fail.
template <typename Operation>
std::string failureOf(Operation&& operation) {
    try {
        operation();
    } catch (const Error& e) {
        return e.what();
    }
    return {};
}

}  // namespace kovrel::test
