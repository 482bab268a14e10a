#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/cli/ScratchDirectory.h"

namespace corvane::cli {

struct ChildResult {
    int status = -1;         // the exit status, or 128 + the signal that ended it
    bool signalled = false;  // a signal ended it
    std::string out;
    std::string err;
};

// A program started with arguments and stdin from /dev/null, its output kept. environment
// replaces this process's environment. Waited for at the latest when the object goes.
class ChildProcess {
  public:
    // errToPipe: stderr goes to a pipe whose reader this object holds (and drops with
    // CloseErrReader) instead of to a file.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& environment, bool errToPipe = false);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // -1 when it could not be started.
    pid_t Pid() const { return pid; }
    // Waits for it to end and returns what it printed.
    ChildResult Wait();
    // What it has printed on stderr so far.
    std::string ErrSoFar() const { return FileContents(directory.PathOf("err")); }
    // Closes the reading end of the stderr pipe, as a reader that ended would.
    void CloseErrReader();

  private:
    // Files rather than pipes: nothing to drain while the program runs.
    ScratchDirectory directory;
    pid_t pid = -1;
    int errReader = -1;
    bool waited = false;
    ChildResult ended;
};

// Runs the program to its end.
ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
                     const std::vector<std::string>& environment);

}  // namespace corvane::cli
