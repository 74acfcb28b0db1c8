#include "shell/OneInstance.h"

#include <algorithm>

#include "core/Texts.h"
#include "shell/Application.h"
#include "win/Utf16.h"

namespace velkaro::shell {

TOneInstance::TOneInstance(TApplication& app) : app_(app) {}

void TOneInstance::Loaded() { CheckPreviousInstance(); }

std::string TOneInstance::MutexBaseName() const {
    std::string base;
    if (ExeNameAsIdentifier) {
        std::wstring path = app_.ExeName();
        if (!path.empty()) ::CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
        base = win::Narrow(path);
    } else {
        base = app_.Title();
    }
    base += Identifier;
    base += ".OneInstance.";
    std::replace(base.begin(), base.end(), '\\', '/');
    return base;
}

bool TOneInstance::PreviousInstanceExists() {
    const std::string base = MutexBaseName();
    const std::wstring lockName = win::Widen(base + "CriticalSection");
    // Given back and closed when the check is over, whatever its outcome.
    const win::UniqueMutex lock(::CreateMutexW(nullptr, TRUE, lockName.c_str()));
    const DWORD error = ::GetLastError();
    // Another instance runs, or is in the middle of this very check.
    if (error != 0 || !lock) return true;
    const std::wstring instanceName = win::Widen(base + "Default");
    instanceMutex_.reset(::CreateMutexW(nullptr, FALSE, instanceName.c_str()));
    // WAIT_OBJECT_0 and WAIT_ABANDONED both give this thread the mutex; a failed create makes
    // the wait fail (WAIT_FAILED): counted as the first instance as well.
    return ::WaitForSingleObject(instanceMutex_.get(), 0) == WAIT_TIMEOUT;
}

bool TOneInstance::CheckPreviousInstance() {
    if (!PreviousInstanceExists()) return false;
    Terminate = true;
    const bool showMainForm = app_.ShowMainForm;
    app_.ShowMainForm = false;
    if (ShowMessage) ShowAlreadyRunning();
    if (ActivatePrevInstance) BringPreviousInstanceForward();
    if (Terminate)
        app_.EndRequest();
    else
        app_.ShowMainForm = showMainForm;
    return true;
}

void TOneInstance::ShowAlreadyRunning() {
    if (OnShowMessage) {
        OnShowMessage(*this, Terminate);
        return;
    }
    std::string text = Message;
    if (text.empty()) text = texts::kAlreadyRunningBefore + app_.Title() + texts::kAlreadyRunningAfter;
    ::MessageBoxExW(app_.Handle(), win::Widen(text).c_str(), win::Widen(app_.Title()).c_str(),
                    MB_OK | MB_ICONEXCLAMATION, 0);
}

HWND TOneInstance::FindPreviousInstanceWindow() const {
    const std::wstring title = win::Widen(app_.Title());
    HWND w = nullptr;
    while ((w = ::FindWindowExW(nullptr, w, TApplication::kClassName, title.c_str())) != nullptr) {
        if (w != app_.Handle()) return w;
    }
    return nullptr;
}

void TOneInstance::BringPreviousInstanceForward() {
    HWND other = FindPreviousInstanceWindow();
    if (!other || !::IsWindow(other)) return;
    if (::IsIconic(other))
        ::OpenIcon(other);
    else
        ::SetForegroundWindow(other);
}

}  // namespace velkaro::shell
