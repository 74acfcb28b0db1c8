// The single-instance guard: two mutexes named after the title, a short-lived lock around the
// check (".OneInstance.CriticalSection", created owned: finding it refuses at once) and the
// instance mutex (".OneInstance.Default"), kept by the first instance until the guard goes.
#pragma once

#include <windows.h>

#include <string>

#include "win/Handles.h"

namespace velkaro::shell {

class SingleInstance {
public:
    // title: Windows-1251.
    explicit SingleInstance(const std::string& title);
    // False when another instance runs, or is in the middle of this check. An instance mutex that
    // cannot be had counts as the first.
    bool First() const { return first_; }

private:
    win::UniqueMutex instance_;
    bool first_ = false;
};

// Class "TApplication", text the title, not our own.
HWND FindOtherInstance(const std::string& title, HWND own);
// One in the tray (hidden) stays hidden.
void BringForward(HWND other);

}  // namespace velkaro::shell
