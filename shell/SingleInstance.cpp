#include "shell/SingleInstance.h"

#include <algorithm>

#include "ui/Application.h"

namespace velkaro::shell {

SingleInstance::SingleInstance(const std::string& title) {
    std::string base = title + ".OneInstance.";
    std::replace(base.begin(), base.end(), '\\', '/');
    // Given back and closed when the check is over, whatever its outcome.
    const win::UniqueMutex lock(::CreateMutexW(nullptr, TRUE, win::Widen(base + "CriticalSection").c_str()));
    if (::GetLastError() != 0 || !lock) return;
    instance_.reset(::CreateMutexW(nullptr, FALSE, win::Widen(base + "Default").c_str()));
    // WAIT_OBJECT_0 and WAIT_ABANDONED both give this thread the mutex; a failed create makes
    // the wait fail (WAIT_FAILED): counted as the first instance as well.
    first_ = ::WaitForSingleObject(instance_.get(), 0) != WAIT_TIMEOUT;
}

HWND FindOtherInstance(const std::string& title, HWND own) {
    const std::wstring text = win::Widen(title);
    HWND w = nullptr;
    while ((w = ::FindWindowExW(nullptr, w, ui::Application::kClassName, text.c_str())) != nullptr)
        if (w != own) return w;
    return nullptr;
}

void BringForward(HWND other) {
    if (!other || !::IsWindow(other)) return;
    if (::IsIconic(other))
        ::OpenIcon(other);
    else
        ::SetForegroundWindow(other);
}

}  // namespace velkaro::shell
