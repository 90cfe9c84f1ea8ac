#pragma once

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/error.h"
#include "platform/xml/document.h"

// Shared helpers of the core tests: a temporary Wine-style drive and info-file builders.
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

// Points WINEPREFIX at a temporary prefix whose dosdevices folder holds one link per letter,
// each to its own empty temporary folder, and the user's own Kovrel folder at a temporary one
// (userFolder()); the previous values come back in the destructor.
// On Windows it makes the folders but no drive letters: tests that use the letters skip there.
class TempDrive {
  public:
    explicit TempDrive(std::string_view letters = "d");
    ~TempDrive();
    TempDrive(const TempDrive&) = delete;
    TempDrive& operator=(const TempDrive&) = delete;

    // Where the program keeps what it keeps for the user while this drive lives.
    std::filesystem::path userFolder() const { return base_.path() / "user"; }
    // The host folder of the first letter's drive.
    std::filesystem::path root() const { return rootOf(firstLetter_); }
    // The host folder of a letter given to the constructor (either case).
    std::filesystem::path rootOf(char letter) const;
    // The prefix's dosdevices folder, for tests that add their own entries.
    std::filesystem::path dosdevices() const { return base_.path() / "prefix" / "dosdevices"; }
    // An entry dosdevices/<name> linking to target (any name: "e:", "ab:", "x").
    void link(const std::string& name, const std::filesystem::path& target) const;

  private:
    TempFolder base_;
    char firstLetter_;
    // The variables set here, as they were before.
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

// Writes bytes exactly as given, creating missing parent folders.
void writeBytes(const std::filesystem::path& file, std::string_view bytes);
// The file's bytes; empty when it cannot be read.
std::string readBytes(const std::filesystem::path& file);

// Fields joined by the info file's separator byte 179: record({"1", "1", "100,00"}).
std::string record(std::initializer_list<std::string_view> fields);

// The 12 header lines of an info file. Values are the file's bytes (code page 857); an empty
// value is written as one space so that its line keeps the field that the reader needs.
struct InfoHeader {
    std::string taxOfficeCode = "034260";
    std::string periodText = "2023";
    std::string type = "GELIR";
    std::string taxNo = "1234567890";
    std::string surname = "YILMAZ";
    std::string firstName = "AHMET";
    std::string identityNo;
    std::string tradeRegistryNo = "12345";
    std::string email = "ahmet@example.com";
    std::string areaCode = "212";
    std::string phoneNo = "5551234";
    std::string title = "YILMAZ TICARET";
    std::string activity = "TOPTAN TICARET";
    std::string preparerTaxNo = "9876543210";

    std::vector<std::string> lines() const;
};

// Lines joined with CR LF, the last one included.
std::string infoFileText(const std::vector<std::string>& lines);
// A whole info file: header lines then body lines, each ending in CR LF.
std::string infoFileText(const InfoHeader& header, const std::vector<std::string>& body);

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

// An element and its subtree as compact XML without layout, texts as they are (UTF-8, not
// escaped): "<a><b>x</b><c/></a>". Easy to compare with an expected tree written by hand.
std::string compactXml(platform::xml::Node node);

}  // namespace kovrel::test
