// TOneInstance, the single-instance guard: a second start of the program finds the first
// through a named mutex, says so, brings the first instance forward and ends.
//
// Two mutexes named after the application title: a short-lived lock around the check
// ("<base>CriticalSection", created owned; finding it already in existence refuses the start at
// once) and the instance mutex ("<base>Default"), taken with a zero time-out and kept by the
// first instance until its guard goes, with the program at its end.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "win/Handles.h"

namespace velkaro::shell {

class TApplication;

class TOneInstance {
public:
    // Called instead of the message box when set; may set terminate to false.
    using TOneInstanceShowMessage = std::function<void(TOneInstance& sender, bool& terminate)>;

    explicit TOneInstance(TApplication& app);
    virtual ~TOneInstance() = default;
    TOneInstance(const TOneInstance&) = delete;
    TOneInstance& operator=(const TOneInstance&) = delete;

    // Settings.
    bool ActivatePrevInstance = true;
    bool ExeNameAsIdentifier = false;
    std::string Identifier;  // Windows-1251
    std::string Message;     // Windows-1251; empty: a default naming the title
    bool ShowMessage = false;
    TOneInstanceShowMessage OnShowMessage;
    std::string About;

    // True once another instance was found (and not overruled by OnShowMessage).
    bool Terminate = false;

    // The owner's settings have all been given: runs the check.
    virtual void Loaded();
    // True when another instance runs (or is in the middle of its own check).
    virtual bool PreviousInstanceExists();
    // The check and, on a find, the refusal. Returns whether another instance was found.
    virtual bool CheckPreviousInstance();

    // Title (or upper-cased executable path) + Identifier + ".OneInstance.", backslashes
    // turned into slashes.
    std::string MutexBaseName() const;

    // The other instance's application window: class TApplication, text the title, not ours.
    HWND FindPreviousInstanceWindow() const;

protected:
    virtual void BringPreviousInstanceForward();
    virtual void ShowAlreadyRunning();

    TApplication& app_;

private:
    friend class ShellGuardTest;
    // Opened by the check (null before it, or when it could not be created); given back and
    // closed with the guard.
    win::UniqueMutex instanceMutex_;
};

}  // namespace velkaro::shell
