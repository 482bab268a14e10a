#pragma once

#include <QString>

namespace corvane {

// Guards the construction of the application object, which reaches the window system: when none
// can be reached, Qt gives up with an abort and advice to reinstall. Under the guard the program
// says instead that it needs a display, with the window system's reason, and exits with 1. What
// Qt says meanwhile is held back and passed on only if the construction succeeds.
class DisplayRequired {
  public:
    explicit DisplayRequired(const QString& program);
    ~DisplayRequired();
    DisplayRequired(const DisplayRequired&) = delete;
    DisplayRequired& operator=(const DisplayRequired&) = delete;
};

}  // namespace corvane
