// The periodic save: while the program runs with its files loaded, the statistics window's
// save runs every few minutes (5 by default), so a crash, a kill or a power loss loses at most
// that much of the count. The timer is a window-message timer on a message-only window, and the
// save runs where its message is dispatched: in the application's loop, and in every modal
// loop (dialogs, message boxes, menus), so a box left open does not stop it. It never runs
// inside a save or a tick, nor inside a command whose state is half-way (the clear command
// from its deletion to the end of its reload): the statistics window says when it is busy so,
// and the save is then tried again a second later. Tests drive Tick() themselves or give a
// short interval.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "win/Window.h"

namespace velkaro::shell {

class Autosave : private win::Window {
public:
    static constexpr unsigned kDefaultIntervalMs = 5 * 60 * 1000;
    static constexpr unsigned kRetryMs = 1000;  // after a save held back by busy state

    // save: the save (raises AppError when it fails); allowed: whether saves may run at all
    // (files loaded, the program not ending); busy: whether a save now would write half-done
    // state; showError: the error box. Throws std::runtime_error when its window cannot be
    // created.
    Autosave(std::function<void()> save, std::function<bool()> allowed, std::function<bool()> busy,
             std::function<void(const std::string&)> showError);
    ~Autosave() override;

    // Starts the timer (restarts it with the new interval); 0 runs no timer.
    void Start(unsigned intervalMs);
    void Stop();

    // One periodic save, when allowed, not busy and not already running. When busy, the timer
    // comes back after kRetryMs (or the interval, when shorter) instead of a whole interval.
    // The first failure of a run of failures shows the error box; the next ones stay quiet
    // until a save succeeds again.
    void Tick();

private:
    friend class ShellProgramTest;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void SetPeriod(unsigned ms);

    std::function<void()> save_;
    std::function<bool()> allowed_;
    std::function<bool()> busy_;
    std::function<void(const std::string&)> showError_;
    unsigned interval_ = 0;
    unsigned period_ = 0;  // the timer's period now: the interval, or the retry's
    bool running_ = false;
    bool saving_ = false;
    bool failing_ = false;
    int saves_ = 0;
    int failures_ = 0;
    int heldBack_ = 0;  // saves put off because the statistics window was busy
};

}  // namespace velkaro::shell
