// The periodic save: while the program runs with its files loaded, the statistics window's
// save runs every few minutes (5 by default), so a crash, a kill or a power loss loses at most
// that much of the count. The timer is a window-message timer on a message-only window; it only
// marks the save as due, and the save runs when the application's own message loop comes back
// (RunIfDue), never inside a command, a tick or a modal dialog: a command in the middle of its
// work (a clear between its save, the deletion and the reload; a price entered in one dialog of
// two) is never saved half-done. Tests drive Tick() themselves or give a short interval.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "win/Window.h"

namespace velkaro::shell {

class Autosave : private win::Window {
public:
    static constexpr unsigned kDefaultIntervalMs = 5 * 60 * 1000;

    // save: the save (raises AppError when it fails); allowed: whether a save may run now;
    // showError: the error box. Throws std::runtime_error when its window cannot be created.
    Autosave(std::function<void()> save, std::function<bool()> allowed,
             std::function<void(const std::string&)> showError);
    ~Autosave() override;

    // Starts the timer (restarts it with the new interval); 0 runs no timer.
    void Start(unsigned intervalMs);
    void Stop();

    // The save the timer asked for, if any.
    void RunIfDue() {
        if (!due_) return;
        due_ = false;
        Tick();
    }

    // One periodic save, when allowed and not already running. The first failure of a run of
    // failures shows the error box; the next ones stay quiet until a save succeeds again.
    void Tick();

private:
    friend class ShellProgramTest;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    std::function<void()> save_;
    std::function<bool()> allowed_;
    std::function<void(const std::string&)> showError_;
    unsigned interval_ = 0;
    bool running_ = false;
    bool busy_ = false;
    bool due_ = false;
    bool failing_ = false;
    int saves_ = 0;
    int failures_ = 0;
};

}  // namespace velkaro::shell
