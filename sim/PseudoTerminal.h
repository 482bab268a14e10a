#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane::sim {

// The master side of a pseudo-terminal: what a virtual device reads and writes. It keeps a
// descriptor of the slave open itself, so the program under test may close and reopen the
// slave without the master failing with EIO in between; the slave starts out raw.
class PseudoTerminal {
  public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // False, with the reason in error, when no pseudo-terminal could be had.
    bool Open(uint32_t initialRate, std::string& error);
    bool IsOpen() const { return master >= 0; }
    // Closes the master and the own slave descriptor: the program's side hangs up, the way a
    // pulled USB adapter looks.
    void HangUp();

    int MasterFd() const { return master; }
    const std::string& SlavePath() const { return slavePath; }
    // The rate the program has set on the slave (both ends share one termios); 0 if unknown.
    uint32_t SlaveRate() const;
    // Bytes sent to the program that it has not read yet.
    size_t UnreadByProgram() const;

  private:
    int master = -1;
    int slave = -1;
    std::string slavePath;
};

}  // namespace corvane::sim
