#include "shell/OneInstance.h"

#include <algorithm>

#include "core/Texts.h"
#include "shell/Application.h"
#include "win/Utf16.h"

namespace velkaro::shell {

namespace {

// The instance mutex, held for the life of the process: released and closed when the
// process ends (static destruction), so the next start finds it free.
struct InstanceMutexHolder {
    HANDLE handle = nullptr;
    void Reset(HANDLE h) {
        if (handle) {
            ::ReleaseMutex(handle);  // no effect unless this thread owns it
            ::CloseHandle(handle);
        }
        handle = h;
    }
    ~InstanceMutexHolder() { Reset(nullptr); }
};

InstanceMutexHolder& Holder() {
    static InstanceMutexHolder holder;
    return holder;
}

}  // namespace

TOneInstance::TOneInstance(TApplication& app) : app_(app) {}

HANDLE TOneInstance::InstanceMutex() { return Holder().handle; }

void TOneInstance::ReleaseInstanceMutex() { Holder().Reset(nullptr); }

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
    HANDLE lock = ::CreateMutexW(nullptr, TRUE, lockName.c_str());
    const DWORD error = ::GetLastError();
    if (error != 0 || lock == nullptr) {
        // Another instance runs, or is in the middle of this very check. The lock handle is
        // not ours to keep either way.
        if (lock) ::CloseHandle(lock);
        return true;
    }
    const std::wstring instanceName = win::Widen(base + "Default");
    Holder().Reset(::CreateMutexW(nullptr, FALSE, instanceName.c_str()));
    // WAIT_OBJECT_0 and WAIT_ABANDONED both give this thread the mutex; a failed create makes
    // the wait fail (WAIT_FAILED): counted as the first instance as well.
    const bool found = ::WaitForSingleObject(Holder().handle, 0) == WAIT_TIMEOUT;
    ::ReleaseMutex(lock);
    ::CloseHandle(lock);
    return found;
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
