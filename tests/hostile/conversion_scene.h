#pragma once

#include <sys/resource.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/conversion_run.h"
#include "infofile/declaration_header.h"
#include "support/test_support.h"

// One conversion on a temporary drive D: an info file beside the drive's ebyn tree and the
// declaration where its header leads, run by the core in-process or by the real converter.
namespace kovrel::hostile {

// A corporate tax return of a taxpayer whose surname holds Turkish letters (code page 857).
test::InfoHeader corporateHeader();
// Its info file with that many asset rows.
std::string corporateInfo(int rows = 1);

struct ConverterEnd {
    int exitCode = -1;  // -1 when a signal ended it
    int signal = 0;
    std::string err;
    long peakRssKb = 0;
};

class ConversionScene {
  public:
    explicit ConversionScene(std::string_view infoBytes = corporateInfo());

    const std::filesystem::path& infoFile() const { return infoFile_; }
    // Throws (failing the test) when the header does not read.
    std::filesystem::path hostTarget();
    // The skeleton a new run writes: the declaration as an earlier run left it.
    std::string skeleton();
    void placeDeclaration(std::string_view bytes);
    std::string declarationOnDisk();
    // Everything in the declaration's folder but the declaration.
    std::vector<std::string> filesBeside();

    conversion::RunOutcome runInProcess(conversion::Mode mode = conversion::Mode::AddToExisting,
                                        bool dryRun = false);
    // kovrel-convert --drive D --mode add <info file>
    std::vector<std::string> converterArgs() const;
    // The converter under kovrel_measure_peak; beyond fileSizeLimit a write fails as on a
    // full disk.
    ConverterEnd runConverter(std::optional<rlim_t> fileSizeLimit = std::nullopt);

  private:
    const infofile::DeclarationHeader& header();

    test::TempDrive drive_;
    std::filesystem::path infoFile_;
    std::optional<infofile::DeclarationHeader> header_;
};

// Starts argv with its output to /dev/null.
pid_t startProcess(const std::vector<std::string>& argv);
// Waits for the process to end; its wait status.
int reap(pid_t pid);

// Under AddressSanitizer a peak holds shadow memory and freed blocks in quarantine, and a file
// of hundreds of megabytes takes minutes: those are measured in the normal build.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kUnderAddressSanitizer = true;
#else
inline constexpr bool kUnderAddressSanitizer = false;
#endif

// The converter refused: that exit code, the message, then one line of cause holding
// causePart and nothing more (a sanitizer's report would be more), at a peak below 1 GB.
void expectRefusal(const ConverterEnd& end, int exitCode, std::string_view message,
                   std::string_view causePart);

}  // namespace kovrel::hostile
