#include "tests/cli/ChildProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace corvane::cli {

namespace {

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::vector<std::string>& environment, bool errToPipe) {
    const std::string out = directory.PathOf("out");
    const std::string err = directory.PathOf("err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT, 0600);
    int errPipe[2] = {-1, -1};
    if (errToPipe && pipe2(errPipe, O_CLOEXEC) == 0) {
        errReader = errPipe[0];
        posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    } else {
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT, 0600);
    }

    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envp = environment;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, Pointers(argv).data(),
                    Pointers(envp).data()) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    if (errPipe[1] >= 0) {
        close(errPipe[1]);
    }
}

ChildProcess::~ChildProcess() {
    Wait();
    CloseErrReader();
}

void ChildProcess::CloseErrReader() {
    if (errReader >= 0) {
        close(errReader);
        errReader = -1;
    }
}

ChildResult ChildProcess::Wait() {
    if (pid < 0) {
        return {};
    }
    if (!waited) {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        waited = true;
        ended.signalled = WIFSIGNALED(status);
        ended.status = ended.signalled ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
    }
    ChildResult result = ended;
    result.out = FileContents(directory.PathOf("out"));
    result.err = FileContents(directory.PathOf("err"));
    return result;
}

ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
                     const std::vector<std::string>& environment) {
    return ChildProcess(program, arguments, environment).Wait();
}

}  // namespace corvane::cli
