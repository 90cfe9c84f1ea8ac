#include "hostile/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <stdexcept>

namespace kovrel::hostile {
namespace {

class MemoryFile {
  public:
    MemoryFile() : fd_(::memfd_create("converter-output", 0)) {
        if (fd_ < 0)
            throw std::runtime_error("memfd_create failed");
    }
    ~MemoryFile() { ::close(fd_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    int fd() const { return fd_; }

    std::string content() const {
        std::string text;
        char buffer[4096];
        ssize_t got = 0;
        for (off_t at = 0; (got = ::pread(fd_, buffer, sizeof buffer, at)) > 0; at += got)
            text.append(buffer, static_cast<std::size_t>(got));
        return text;
    }

  private:
    int fd_;
};

// Collects what a child writes on a pipe. Output goes through pipes rather than files: a limit on
// file sizes set for the child must not cut its messages.
class Pipe {
  public:
    Pipe() {
        if (::pipe2(ends_, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe2 failed");
    }
    ~Pipe() {
        closeWriteEnd();
        ::close(ends_[0]);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    int writeEnd() const { return ends_[1]; }
    int readEnd() const { return ends_[0]; }
    void closeWriteEnd() {
        if (ends_[1] >= 0)
            ::close(ends_[1]);
        ends_[1] = -1;
    }

  private:
    int ends_[2];
};

// Reads both pipes to their ends, whichever the child fills first.
void drain(Pipe& out, Pipe& err, std::string& outText, std::string& errText) {
    out.closeWriteEnd();
    err.closeWriteEnd();
    pollfd fds[2] = {{out.readEnd(), POLLIN, 0}, {err.readEnd(), POLLIN, 0}};
    std::string* texts[2] = {&outText, &errText};
    int open = 2;
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error("poll failed");
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[4096];
            const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                texts[i]->append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

struct Streams {
    int out, err, report;
};

// Between fork and exec only async-signal-safe calls; argv is prepared before.
pid_t start(std::vector<std::string> argvText, const Streams& streams) {
    std::vector<char*> argv;
    for (auto& arg : argvText)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::dup2(streams.out, STDOUT_FILENO);
        ::dup2(streams.err, STDERR_FILENO);
        if (streams.report >= 0)
            ::dup2(streams.report, 3);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

int reap(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            throw std::runtime_error("waitpid failed");
    }
    return status;
}

}  // namespace

ChildResult runConverter(const std::vector<std::string>& args, const ChildLimits& limits) {
    Pipe out, err;
    MemoryFile report;
    std::vector<std::string> argv{
        KOVREL_MEASURE_PEAK,
        limits.fileSizeLimit ? std::to_string(*limits.fileSizeLimit) : std::string("-"),
        KOVREL_CONVERT};
    argv.insert(argv.end(), args.begin(), args.end());
    const pid_t pid = start(argv, {out.writeEnd(), err.writeEnd(), report.fd()});
    ChildResult result;
    drain(out, err, result.out, result.err);
    reap(pid);

    std::istringstream reported(report.content());
    if (!(reported >> result.exitCode >> result.signal >> result.peakRssKb))
        throw std::runtime_error("kovrel_measure_peak reported nothing");
    return result;
}

RunningConverter::RunningConverter(const std::vector<std::string>& args) {
    const int devNull = ::open("/dev/null", O_WRONLY);
    std::vector<std::string> argv{KOVREL_CONVERT};
    argv.insert(argv.end(), args.begin(), args.end());
    pid_ = start(argv, {devNull, devNull, -1});
    ::close(devNull);
}

RunningConverter::~RunningConverter() {
    if (!status_)
        kill();
}

bool RunningConverter::ended() {
    if (status_)
        return true;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_)
        status_ = status;
    return status_.has_value();
}

ChildResult RunningConverter::kill() {
    if (!ended())
        ::kill(pid_, SIGKILL);
    return wait();
}

ChildResult RunningConverter::wait() {
    if (!status_)
        status_ = reap(pid_);
    ChildResult result;
    if (WIFEXITED(*status_))
        result.exitCode = WEXITSTATUS(*status_);
    if (WIFSIGNALED(*status_))
        result.signal = WTERMSIG(*status_);
    return result;
}

std::string firstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

}  // namespace kovrel::hostile
