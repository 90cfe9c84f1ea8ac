#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

// Runs the real kovrel-convert as a child process, the way a user's shell would, and reports
// how it ended and how much memory it took at its peak.
namespace kovrel::hostile {

struct ChildLimits {
    // RLIMIT_FSIZE: a write beyond this many bytes fails with EFBIG (SIGXFSZ is ignored), as a
    // full disk makes it fail.
    std::optional<rlim_t> fileSizeLimit;
};

struct ChildResult {
    int exitCode = -1;  // -1 when a signal ended it
    int signal = 0;
    std::string out;
    std::string err;
    long peakRssKb = 0;  // measured by runConverter only
};

// kovrel-convert with args, started by kovrel_measure_peak so that its peak memory is its own;
// WINEPREFIX and the rest of the environment are inherited.
ChildResult runConverter(const std::vector<std::string>& args, const ChildLimits& limits = {});

// A converter started without waiting for it; its output is discarded.
class RunningConverter {
  public:
    explicit RunningConverter(const std::vector<std::string>& args);
    ~RunningConverter();
    RunningConverter(const RunningConverter&) = delete;
    RunningConverter& operator=(const RunningConverter&) = delete;

    // SIGKILL, then reaps the process; the result tells whether it had finished first.
    ChildResult kill();
    // Waits for the end.
    ChildResult wait();
    // Whether it has ended, without waiting.
    bool ended();

  private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// The first line of a text (a message as the converter prints it).
std::string firstLine(const std::string& text);

}  // namespace kovrel::hostile
