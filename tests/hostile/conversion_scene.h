#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/conversion_run.h"
#include "hostile/child_process.h"
#include "infofile/declaration_header.h"
#include "support/test_support.h"

// One conversion on a temporary drive D: an info file beside the drive's ebyn tree, the
// declaration file where the header's path leads, and two ways to run: the core in-process or
// the real converter as a child process.
namespace kovrel::hostile {

class ConversionScene {
  public:
    // An info file of these exact bytes.
    explicit ConversionScene(std::string_view infoBytes);
    ConversionScene(const test::InfoHeader& header, const std::vector<std::string>& body);

    const std::filesystem::path& infoFile() const { return infoFile_; }
    // The header as start-up reads it; throws (failing the test) when it does not read.
    const infofile::DeclarationHeader& header();
    // The declaration's path as the program names it ("D:\ebyn\...") and on the host.
    std::string targetXmlPath();
    std::filesystem::path hostTarget();

    // Puts a declaration file in place, as an earlier run would have left it.
    void placeDeclaration(std::string_view bytes);
    std::string declarationOnDisk();
    // Everything in the declaration's folder except the declaration itself.
    std::vector<std::string> filesBeside();

    conversion::RunOutcome runInProcess(conversion::Mode mode = conversion::Mode::AddToExisting);
    // kovrel-convert --drive D <extraArgs> <info file>
    ChildResult runConverter(const std::vector<std::string>& extraArgs = {"--mode", "add"},
                             const ChildLimits& limits = {});

  private:
    test::TempDrive drive_;
    std::filesystem::path infoFile_;
    std::optional<infofile::HeaderRead> read_;
};

// A corporate tax return of a taxpayer whose surname holds Turkish letters (code page 857
// bytes, as the accounting program writes them).
test::InfoHeader corporateHeader();
// Three corporate tax records: an asset row, an asset footnote and a summary item.
std::vector<std::string> corporateBody();
// What those three records make of a declaration (checked against the mapping by hand); the
// declaration keeps the taxpayer's surname.
void expectCorporateBodyWritten(std::string_view savedBytes);

// The skeleton a new run writes for the header, as bytes (ISO-8859-9).
std::string skeletonFor(const infofile::DeclarationHeader& header);

// Peak memory that no input may push a run beyond: 1 GB (10^9 bytes), in the kilobytes of
// ru_maxrss.
inline constexpr long kPeakRssLimitKb = 1'000'000'000L / 1024;

// Under AddressSanitizer a peak holds shadow memory and freed blocks in quarantine, and a file
// of hundreds of megabytes takes minutes: those are measured in the normal build.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kUnderAddressSanitizer = true;
#else
inline constexpr bool kUnderAddressSanitizer = false;
#endif

// Checks the converter's peak against the bound (outside AddressSanitizer) and prints it.
void expectPeakWithinBound(const ChildResult& result, std::string_view what);

}  // namespace kovrel::hostile
