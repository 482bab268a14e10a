// corvane-measure: runs a command and writes what it cost to a file.
//
//     corvane-measure RESULT_FILE COMMAND [ARGUMENTS...]
//
// The command inherits stdin, stdout and stderr. RESULT_FILE receives one line:
//     wall_ms=<ms> user_ms=<ms> sys_ms=<ms> maxrss_kib=<KiB> status=<exit status>
// wall time from just before the fork to the end of the wait, CPU times and peak resident set
// of the command alone (from wait4), with microsecond resolution. The exit status is the
// command's own, or 128 + the signal that ended it.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

double Milliseconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_usec) / 1e3;
}

double MonotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: corvane-measure RESULT_FILE COMMAND [ARGUMENTS...]\n");
        return 64;
    }
    const double start = MonotonicMilliseconds();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("corvane-measure: fork");
        return 1;
    }
    if (child == 0) {
        execvp(argv[2], argv + 2);
        std::fprintf(stderr, "corvane-measure: %s: %s\n", argv[2], std::strerror(errno));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0) {
        if (errno != EINTR) {
            std::perror("corvane-measure: wait4");
            return 1;
        }
    }
    const double wall = MonotonicMilliseconds() - start;
    const int exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);

    std::FILE* result = std::fopen(argv[1], "w");
    if (result == nullptr) {
        std::perror("corvane-measure: result file");
        return 1;
    }
    std::fprintf(result, "wall_ms=%.3f user_ms=%.3f sys_ms=%.3f maxrss_kib=%ld status=%d\n", wall,
                 Milliseconds(usage.ru_utime), Milliseconds(usage.ru_stime), usage.ru_maxrss,
                 exitStatus);
    return std::fclose(result) == 0 ? 0 : 1;
}
