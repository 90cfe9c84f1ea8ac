// Runs a program and adds to its standard error a line "kovrel_measure_peak <exit code>
// <signal> <peak kB>". Forked from a large test process, a child's ru_maxrss would count the
// parent's pages; forked from this small one, the peak is the program's own.
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
    if (argc < 3)
        return 125;
    if (std::strcmp(argv[1], "-") != 0) {
        // Inherited by the program: a write beyond the limit fails with EFBIG, as on a full disk.
        signal(SIGXFSZ, SIG_IGN);
        const rlim_t bytes = std::strtoull(argv[1], nullptr, 10);
        const rlimit limit{bytes, bytes};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 126;
    }
    const pid_t pid = fork();
    if (pid < 0)
        return 126;
    if (pid == 0) {
        execv(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR)
            return 126;
    }
    std::fprintf(stderr, "\nkovrel_measure_peak %d %d %ld\n",
                 WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                 WIFSIGNALED(status) ? WTERMSIG(status) : 0, usage.ru_maxrss);
    return 0;
}
