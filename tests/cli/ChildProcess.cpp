#include "tests/cli/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

extern char** environ;

namespace corvane::cli {

namespace {

bool NamedIn(const std::string& entry, const std::vector<std::string>& names) {
    const std::string name = entry.substr(0, entry.find('='));
    return std::any_of(names.begin(), names.end(), [&](const std::string& other) {
        return other.substr(0, other.find('=')) == name;
    });
}

std::vector<std::string> Environment(const std::vector<std::string>& set,
                                     const std::vector<std::string>& unset) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (!NamedIn(*entry, set) && !NamedIn(*entry, unset)) {
            entries.emplace_back(*entry);
        }
    }
    entries.insert(entries.end(), set.begin(), set.end());
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
                     const std::vector<std::string>& set, const std::vector<std::string>& unset,
                     std::chrono::milliseconds timeout) {
    ChildResult result;
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        result.err = "pipe failed";
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);

    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environment = Environment(set, unset);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, Pointers(argv).data(),
                                    Pointers(environment).data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (spawned != 0) {
        close(out[0]);
        close(err[0]);
        result.err = "cannot start " + program;
        return result;
    }

    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::array<pollfd, 2> watched{{{out[0], POLLIN, 0}, {err[0], POLLIN, 0}}};
    std::array<std::string*, 2> sinks{&result.out, &result.err};
    while (watched[0].fd >= 0 || watched[1].fd >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        if (poll(watched.data(), watched.size(), static_cast<int>(left.count())) < 0) {
            continue;  // EINTR
        }
        for (size_t i = 0; i < watched.size(); ++i) {
            if (watched[i].fd < 0 || watched[i].revents == 0) {
                continue;
            }
            char chunk[4096];
            const ssize_t n = read(watched[i].fd, chunk, sizeof chunk);
            if (n > 0) {
                sinks[i]->append(chunk, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(watched[i].fd);
                watched[i].fd = -1;
            }
        }
    }
    for (const pollfd& fd : watched) {
        if (fd.fd >= 0) {
            close(fd.fd);
        }
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

}  // namespace corvane::cli
