#pragma once

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/ModemModel.h"
#include "sim/ModemOptions.h"
#include "sim/PseudoTerminal.h"

namespace corvane::sim {

// A virtual module on a pseudo-terminal, served by a thread of its own:
//
//     PtyModem modem({.family = Family::K47, .rate = 57600});
//     modem.Start(error);
//     ... open modem.DevicePath() as a serial port and talk to it ...
//     modem.Stop();
//     modem.StoredSet();
//
// Each chunk read from the line is handed to a ModemModel together with the rate the program
// has set on its end; the model's answers are written after their delays, in order. A pseudo-
// terminal has no DTR: a program powers the module on through the stand-in power library
// (PowerLibrary.cpp), which reaches it at the address that sim/PowerControl.h names.
class PtyModem {
  public:
    explicit PtyModem(ModemOptions options);
    ~PtyModem();
    PtyModem(const PtyModem&) = delete;
    PtyModem& operator=(const PtyModem&) = delete;

    // False, with the reason in error, when no pseudo-terminal could be had.
    bool Start(std::string& error);
    // The path the program opens as its serial port.
    const std::string& DevicePath() const { return pty.SlavePath(); }
    // Makes the device appear under a name of the caller's choice as well, a symbolic link that
    // Stop removes before the line goes, as a port's node goes when its cable is pulled. False,
    // with the reason in error, when the link cannot be made (one of that name exists).
    bool Publish(const std::string& linkPath, std::string& error);
    // Stops serving the line; the module's state stays available. Idempotent.
    void Stop();

    // Copies of the module's state (see ModemModel), safe while it runs.
    std::vector<TranscriptEntry> Transcript() const;
    std::vector<std::string> StoredSet() const;
    std::vector<std::string> Commands() const;
    bool HungUp() const;

  private:
    // Opens the socket through which a program's power library switches the module on.
    bool ListenForPowerOn(std::string& error);
    void Serve();

    PseudoTerminal pty;
    mutable std::mutex mutex;
    ModemModel model;
    int wake = -1;   // eventfd that tells the serving thread to stop
    int power = -1;  // listening socket of the power control (sim/PowerControl.h)
    std::string published;
    std::thread server;
};

}  // namespace corvane::sim
