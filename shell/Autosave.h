// The periodic save: while the program runs with its files loaded, the statistics window's
// save runs every few minutes (5 by default), so a crash, a kill or a power loss loses at most
// that much of the count. The timer is a window-message timer on a message-only window, and the
// save runs where its message is dispatched: in the application's loop and in every modal loop
// (dialogs, message boxes, menus, its own error box), so no box left open stops it. A failing
// save shows its error once; the next ones stay quiet until a save succeeds again.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "win/Window.h"

namespace velkaro::shell {

class Autosave : private win::Window {
public:
    static constexpr unsigned kDefaultIntervalMs = 5 * 60 * 1000;

    // save: the save (raises AppError when it fails); allowed: whether saves may run at all
    // (the program not ending); showError: the error box. Throws std::runtime_error when its
    // window cannot be created.
    Autosave(std::function<void()> save, std::function<bool()> allowed,
             std::function<void(const std::string&)> showError);
    ~Autosave() override;

    // Starts the timer; 0 runs none (tests call Tick themselves).
    void Start(unsigned intervalMs);
    unsigned Interval() const { return interval_; }  // 0 while no timer runs
    // One periodic save, when allowed.
    void Tick();

private:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    std::function<void()> save_;
    std::function<bool()> allowed_;
    std::function<void(const std::string&)> showError_;
    unsigned interval_ = 0;
    bool failing_ = false;
};

}  // namespace velkaro::shell
