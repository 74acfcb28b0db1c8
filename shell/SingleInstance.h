// The single-instance guard: a second start of the program finds the first through a named
// mutex, says so, brings the first instance forward and ends.
//
// Two mutexes named after the application title: a short-lived lock around the check
// ("<title>.OneInstance.CriticalSection", created owned; finding it already in existence
// refuses the start at once) and the instance mutex ("<title>.OneInstance.Default"), taken
// with a zero time-out and kept by the first instance until the guard goes, with the program
// at its end.
#pragma once

#include <windows.h>

#include <string>

#include "win/Handles.h"

namespace velkaro::shell {

class SingleInstance {
public:
    // Runs the check for the title (Windows-1251).
    explicit SingleInstance(const std::string& title);
    // Whether this is the only instance: another one runs, or is in the middle of this very
    // check, when it is not. An instance mutex that cannot be had counts as the first.
    bool First() const { return first_; }

private:
    win::UniqueMutex instance_;
    bool first_ = false;
};

// The other instance's application window: class "TApplication", text the title, not own.
HWND FindOtherInstance(const std::string& title, HWND own);
// A minimised other instance is restored, a shown one brought to the foreground; one in the
// tray (hidden) stays hidden.
void BringForward(HWND other);

}  // namespace velkaro::shell
