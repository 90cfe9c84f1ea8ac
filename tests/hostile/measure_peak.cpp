// Runs a program and reports on file descriptor 3 how it ended and its peak resident memory:
// "<exit code> <signal> <peak kB>". A child forked from a large test process starts with the
// parent's pages counted in its ru_maxrss; forked from this small process, the peak is the
// program's own.
// Usage: kovrel_measure_peak FILE_SIZE_LIMIT|- PROGRAM [ARGS...]
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FILE_SIZE_LIMIT|- PROGRAM [ARGS...]\n", argv[0]);
        return 125;
    }
    const pid_t pid = fork();
    if (pid < 0)
        return 126;
    if (pid == 0) {
        close(3);
        if (std::strcmp(argv[1], "-") != 0) {
            // A write beyond the limit then fails with EFBIG, as on a full disk.
            signal(SIGXFSZ, SIG_IGN);
            const rlim_t bytes = std::strtoull(argv[1], nullptr, 10);
            const rlimit limit{bytes, bytes};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        execv(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR)
            return 126;
    }
    const int exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const int signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    dprintf(3, "%d %d %ld\n", exitCode, signal, usage.ru_maxrss);
    return 0;
}
