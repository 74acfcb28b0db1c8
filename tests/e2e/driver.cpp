// The end-to-end tests' hands: a small Windows console program, run under Wine beside
// velkaro.exe, that finds the program's windows by class and caption and sends them the
// messages a user's actions would produce. One command per run; results go to standard
// output (UTF-8), and the exit code is 0 on success, 1 when the command failed or timed out.
//
//   driver find CLASS [CAPTION]               hwnd (hex) and visibility of the first match
//   driver wait CLASS CAPTION|- STATE MS      STATE: exists, gone, visible, hidden
//   driver send HWND MSG WPARAM LPARAM        SendMessageTimeout; prints the result
//   driver post HWND MSG WPARAM LPARAM        PostMessage
//   driver queryend-loop HWND N               N times WM_QUERYENDSESSION, then WM_ENDSESSION
//                                             (cancelled); prints how many were answered yes
//   driver broadcast-taskbar                  "TaskbarCreated" to every top-level window
//   driver click HWND X Y left|right          button down and up at client X, Y
//   driver listview CLASS                     rows of the list view in that window
//   driver input TEXT MS                      types TEXT (%XX = UTF-8 byte) into the program's
//                                             input dialog and presses OK
//   driver message MS                         text of the program's message box; presses OK
//   driver question yes|no MS [CAPTION]       text of the program's Yes/No box (or of the box
//                                             with that caption); presses the button
//   driver menu-pick N MS                     the open popup menu: N times down, then Enter
//   driver tray-icons                         number of icons in the taskbar's notification area
//   driver ifnames                            the interface table: description, in, out
//   driver record-open PATH                   appends PATH to opened.log beside the driver
//   driver count CLASS [CAPTION]              number of top-level windows of a class
//   driver text CLASS                         text of the first visible window of a class
//   driver children CLASS                     windows inside the first window of a class: hwnd,
//                                             class, visibility and text
//   driver rect CLASS|HWND                    "LEFT TOP RIGHT BOTTOM work=LEFT TOP RIGHT BOTTOM
//                                             vscroll=0|1 hscroll=0|1 client=W H": the
//                                             window's rectangle on the screen, the work area
//                                             of its monitor, whether it shows a vertical and a
//                                             horizontal scroll bar, and its client area's size
//   driver cancel MS                          presses Cancel in the program's input dialog
//   driver owner MS                           class of the owner of the program's dialog or
//                                             message box (empty: none)
//   driver foreground                         class of the foreground window and of the
//                                             window with the keyboard focus in its thread
//   driver version FILE                       the ProductVersion text of FILE's version resource
//   driver hold FILE FLAG                     opens FILE sharing nothing (as a backup tool
//                                             locks it), prints "held", and keeps it so while
//                                             the file FLAG exists
//
// Numbers are decimal or 0x-hexadecimal. CAPTION "-" matches any caption. Windows of the
// desktop named by VELKARO_DESKTOP (default "velkaro") are searched.
#include <windows.h>
#include <commctrl.h>
#include <iphlpapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const wchar_t kAppTitle[] = L"Velkaro V1.4 Final";

std::string Utf8(const std::wstring& w) {
    if (w.empty()) return {};
    int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                  nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                          nullptr);
    return s;
}

std::wstring FromUtf8(const std::string& s) {
    if (s.empty()) return {};
    int n = ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

// "%D0%9F..." to the text it encodes (UTF-8 bytes), other characters as they are.
std::wstring Unescape(const std::wstring& arg) {
    std::string bytes;
    for (std::size_t i = 0; i < arg.size(); ++i) {
        if (arg[i] == L'%' && i + 2 < arg.size()) {
            wchar_t hex[3] = {arg[i + 1], arg[i + 2], 0};
            bytes.push_back(static_cast<char>(std::wcstoul(hex, nullptr, 16)));
            i += 2;
        } else {
            bytes.push_back(static_cast<char>(arg[i]));
        }
    }
    return FromUtf8(bytes);
}

void Out(const std::string& s) {
    std::fwrite(s.data(), 1, s.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

unsigned long Number(const std::wstring& s) { return std::wcstoul(s.c_str(), nullptr, 0); }
HWND HwndArg(const std::wstring& s) { return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(Number(s))); }

std::string Hex(const void* p) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%lx", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(p)));
    return buf;
}

std::wstring ClassOf(HWND w) {
    wchar_t buf[256] = {};
    ::GetClassNameW(w, buf, 256);
    return buf;
}

std::wstring TextOf(HWND w) {
    wchar_t buf[1024] = {};
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000,
                          &ignored);
    return buf;
}

struct Search {
    std::wstring cls;
    const wchar_t* caption;  // null: any
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    if (ClassOf(w) != s->cls) return TRUE;
    if (s->caption) {
        wchar_t buf[512] = {};
        ::GetWindowTextW(w, buf, 512);
        if (std::wcscmp(buf, s->caption) != 0) return TRUE;
    }
    s->found.push_back(w);
    return TRUE;
}

std::vector<HWND> TopLevel(const std::wstring& cls, const wchar_t* caption) {
    Search s{cls, caption, {}};
    ::EnumWindows(&Collect, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

const wchar_t* CaptionArg(const std::wstring& a) { return a == L"-" ? nullptr : a.c_str(); }

HWND FirstVisibleOrAny(const std::vector<HWND>& ws) {
    for (HWND w : ws)
        if (::IsWindowVisible(w)) return w;
    return ws.empty() ? nullptr : ws.front();
}

// Switches this thread to the program's desktop once it exists (the program's start creates
// it, and it goes away with the last program on it).
bool g_onDesktop = false;
void EnsureDesktop() {
    if (g_onDesktop) return;
    wchar_t name[64] = L"velkaro";
    ::GetEnvironmentVariableW(L"VELKARO_DESKTOP", name, 64);
    if (HDESK desk = ::OpenDesktopW(name, 0, FALSE, GENERIC_ALL)) g_onDesktop = ::SetThreadDesktop(desk) != FALSE;
}

// Polls until pred gives a window (or true), up to ms milliseconds.
template <class F> bool Poll(DWORD ms, F pred) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        EnsureDesktop();
        if (pred()) return true;
        if (::GetTickCount() - start >= ms) return false;
        ::Sleep(50);
    }
}

// The program's own dialog (input query or message box): class #32770 with its caption.
HWND ProgramDialog() {
    return FirstVisibleOrAny(TopLevel(L"#32770", kAppTitle));
}

int CmdFind(const std::vector<std::wstring>& a) {
    if (a.size() < 1) return 2;
    auto ws = TopLevel(a[0], a.size() > 1 ? CaptionArg(a[1]) : nullptr);
    if (ws.empty()) return 1;
    HWND w = FirstVisibleOrAny(ws);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    Out(Hex(w) + (::IsWindowVisible(w) ? " visible" : " hidden") + " pid=" + std::to_string(pid));
    return 0;
}

// The text (WM_GETTEXT) of the first visible top-level window of a class.
int CmdText(const std::vector<std::wstring>& a) {
    if (a.size() < 1) return 2;
    HWND w = FirstVisibleOrAny(TopLevel(a[0], nullptr));
    if (!w) return 1;
    Out(Utf8(TextOf(w)));
    return ::IsWindowVisible(w) ? 0 : 1;
}

int CmdCount(const std::vector<std::wstring>& a) {
    if (a.size() < 1) return 2;
    auto ws = TopLevel(a[0], a.size() > 1 ? CaptionArg(a[1]) : nullptr);
    Out(std::to_string(ws.size()));
    return 0;
}

int CmdWait(const std::vector<std::wstring>& a) {
    if (a.size() < 4) return 2;
    const std::wstring& state = a[2];
    const bool ok = Poll(Number(a[3]), [&] {
        auto ws = TopLevel(a[0], CaptionArg(a[1]));
        if (state == L"exists") return !ws.empty();
        if (state == L"gone") return ws.empty();
        bool anyVisible = false;
        for (HWND w : ws) anyVisible = anyVisible || ::IsWindowVisible(w);
        if (state == L"visible") return anyVisible;
        if (state == L"hidden") return !ws.empty() && !anyVisible;
        return false;
    });
    auto ws = TopLevel(a[0], CaptionArg(a[1]));
    if (!ws.empty()) Out(Hex(FirstVisibleOrAny(ws)));
    return ok ? 0 : 1;
}

int CmdSend(const std::vector<std::wstring>& a) {
    if (a.size() < 4) return 2;
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(HwndArg(a[0]), Number(a[1]), Number(a[2]), static_cast<LPARAM>(Number(a[3])),
                               SMTO_NORMAL, 20000, &result)) {
        Out("timeout");
        return 1;
    }
    Out(std::to_string(static_cast<unsigned long>(result)));
    return 0;
}

// Asks N times whether the session may end, each time followed by the news that the session
// goes on (some other program said no), so that every query runs the program's save again.
int CmdQueryEndLoop(const std::vector<std::wstring>& a) {
    if (a.size() < 2) return 2;
    const unsigned n = Number(a[1]);
    unsigned yes = 0;
    for (unsigned i = 0; i < n; ++i) {
        DWORD_PTR result = 0;
        if (!::SendMessageTimeoutW(HwndArg(a[0]), WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, &result))
            break;
        if (result) ++yes;
        ::SendMessageTimeoutW(HwndArg(a[0]), WM_ENDSESSION, FALSE, 0, SMTO_NORMAL, 5000, &result);
    }
    Out(std::to_string(yes));
    return 0;
}

int CmdPost(const std::vector<std::wstring>& a) {
    if (a.size() < 4) return 2;
    return ::PostMessageW(HwndArg(a[0]), Number(a[1]), Number(a[2]), static_cast<LPARAM>(Number(a[3]))) ? 0 : 1;
}

int CmdBroadcastTaskbar() {
    const UINT msg = ::RegisterWindowMessageA("TaskbarCreated");
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(HWND_BROADCAST, msg, 0, 0, SMTO_ABORTIFHUNG, 10000, &result);
    Out(std::to_string(msg));
    return 0;
}

int CmdClick(const std::vector<std::wstring>& a) {
    if (a.size() < 4) return 2;
    HWND w = HwndArg(a[0]);
    const LPARAM pos = MAKELPARAM(Number(a[1]), Number(a[2]));
    if (a[3] == L"right") {
        ::PostMessageW(w, WM_RBUTTONDOWN, MK_RBUTTON, pos);
        ::PostMessageW(w, WM_RBUTTONUP, 0, pos);
    } else {
        ::PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, pos);
        ::PostMessageW(w, WM_LBUTTONUP, 0, pos);
    }
    return 0;
}

HWND ChildOfClass(HWND parent, const wchar_t* cls) {
    return ::FindWindowExW(parent, nullptr, cls, nullptr);
}

// Reads the list view of another process through memory allocated in that process.
int CmdListView(const std::vector<std::wstring>& a) {
    if (a.size() < 1) return 2;
    HWND form = FirstVisibleOrAny(TopLevel(a[0], nullptr));
    if (!form) return 1;
    HWND list = ChildOfClass(form, L"SysListView32");
    if (!list) return 1;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(list, &pid);
    HANDLE process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return 1;
    const int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    const SIZE_T textBytes = 512 * sizeof(wchar_t);
    auto* remote = static_cast<char*>(::VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + textBytes,
                                                       MEM_COMMIT, PAGE_READWRITE));
    if (!remote) return 1;
    Out("rows=" + std::to_string(count));
    for (int i = 0; i < count; ++i) {
        std::string line;
        for (int col = 0; col < 3; ++col) {
            LVITEMW item{};
            item.iSubItem = col;
            item.cchTextMax = 512;
            item.pszText = reinterpret_cast<LPWSTR>(remote + sizeof(LVITEMW));
            ::WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
            ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote));
            wchar_t text[512] = {};
            ::ReadProcessMemory(process, remote + sizeof(LVITEMW), text, textBytes - sizeof(wchar_t), nullptr);
            if (col) line += '\t';
            line += Utf8(text);
        }
        Out(line);
    }
    ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    ::CloseHandle(process);
    return 0;
}

void PressOk(HWND dlg) {
    HWND ok = ::GetDlgItem(dlg, IDOK);
    ::PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
}

int CmdInput(const std::vector<std::wstring>& a) {
    if (a.size() < 2) return 2;
    HWND dlg = nullptr;
    HWND edit = nullptr;
    if (!Poll(Number(a[1]), [&] {
            dlg = ProgramDialog();
            edit = dlg ? ::FindWindowExW(dlg, nullptr, L"Edit", nullptr) : nullptr;
            return edit != nullptr;
        }))
        return 1;
    // The prompt, for the log.
    std::wstring prompt;
    for (HWND c = ::FindWindowExW(dlg, nullptr, L"Static", nullptr); c;
         c = ::FindWindowExW(dlg, c, L"Static", nullptr))
        prompt += TextOf(c);
    Out(Utf8(prompt));
    const std::wstring text = Unescape(a[0]);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 5000, &ignored);
    PressOk(dlg);
    // Gone before the next step looks for the next dialog.
    return Poll(5000, [&] { return !::IsWindow(dlg); }) ? 0 : 1;
}

int CmdMessage(const std::vector<std::wstring>& a) {
    if (a.size() < 1) return 2;
    HWND dlg = nullptr;
    if (!Poll(Number(a[0]), [&] {
            dlg = ProgramDialog();
            return dlg && !::FindWindowExW(dlg, nullptr, L"Edit", nullptr);
        }))
        return 1;
    ::Sleep(200);  // let the box lay itself out
    std::wstring text;
    for (HWND c = ::FindWindowExW(dlg, nullptr, L"Static", nullptr); c;
         c = ::FindWindowExW(dlg, c, L"Static", nullptr)) {
        std::wstring t = TextOf(c);
        if (t.size() > text.size()) text = t;
    }
    Out(Utf8(text));
    PressOk(dlg);
    return Poll(5000, [&] { return !::IsWindow(dlg); }) ? 0 : 1;
}

int CmdQuestion(const std::vector<std::wstring>& a) {
    if (a.size() < 2 || (a[0] != L"yes" && a[0] != L"no")) return 2;
    const int button = a[0] == L"yes" ? IDYES : IDNO;
    const wchar_t* caption = a.size() > 2 ? CaptionArg(a[2]) : kAppTitle;
    HWND dlg = nullptr;
    if (!Poll(Number(a[1]), [&] {
            for (HWND w : TopLevel(L"#32770", caption))
                if (::IsWindowVisible(w) && ::GetDlgItem(w, button)) dlg = w;
            return dlg != nullptr;
        }))
        return 1;
    ::Sleep(200);  // let the box lay itself out
    std::wstring text;
    for (HWND c = ::FindWindowExW(dlg, nullptr, L"Static", nullptr); c;
         c = ::FindWindowExW(dlg, c, L"Static", nullptr)) {
        std::wstring t = TextOf(c);
        if (t.size() > text.size()) text = t;
    }
    Out(Utf8(text));
    ::PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dlg, button)));
    return Poll(5000, [&] { return !::IsWindow(dlg); }) ? 0 : 1;
}

int CmdMenuPick(const std::vector<std::wstring>& a) {
    if (a.size() < 2) return 2;
    HWND menu = nullptr;
    if (!Poll(Number(a[1]), [&] {
            for (HWND w : TopLevel(L"#32768", nullptr))
                if (::IsWindowVisible(w)) menu = w;
            return menu != nullptr;
        }))
        return 1;
    // A menu shown is not yet a menu that takes keys: its owner's thread enters the menu's
    // own loop a moment later, and keys that come before it are lost (seen on a busy machine).
    ::Sleep(300);
    const unsigned downs = Number(a[0]);
    for (unsigned i = 0; i < downs; ++i) {
        ::PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
        ::PostMessageW(menu, WM_KEYUP, VK_DOWN, 0xC0000001);
    }
    ::PostMessageW(menu, WM_KEYDOWN, downs ? VK_RETURN : VK_ESCAPE, 0);
    if (Poll(5000, [&] { return !::IsWindowVisible(menu); })) return 0;
    // It stayed open: close it, so that the next step does not find it, and say so.
    std::fputs("menu-pick: the menu stayed open\n", stderr);
    ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    Poll(2000, [&] { return !::IsWindowVisible(menu); });
    return 1;
}

BOOL CALLBACK CountTrayIcons(HWND w, LPARAM lp) {
    if (ClassOf(w) == L"__wine_tray_icon" && ::IsWindowVisible(w)) ++*reinterpret_cast<int*>(lp);
    return TRUE;
}

BOOL CALLBACK CountTrayIconsTop(HWND w, LPARAM lp) {
    CountTrayIcons(w, lp);
    ::EnumChildWindows(w, &CountTrayIcons, lp);
    return TRUE;
}

BOOL CALLBACK PrintChild(HWND w, LPARAM) {
    Out(Hex(w) + " " + Utf8(ClassOf(w)) + (::IsWindowVisible(w) ? " visible " : " hidden ") + Utf8(TextOf(w)));
    return TRUE;
}

// Lists the windows inside the first top-level window of a class.
int CmdChildren(const std::vector<std::wstring>& a) {
    if (a.size() < 1) return 2;
    HWND w = FirstVisibleOrAny(TopLevel(a[0], nullptr));
    if (!w) return 1;
    ::EnumChildWindows(w, &PrintChild, 0);
    return 0;
}

int CmdRect(const std::vector<std::wstring>& a) {
    if (a.size() < 1) return 2;
    HWND w = a[0].rfind(L"0x", 0) == 0 ? HwndArg(a[0]) : FirstVisibleOrAny(TopLevel(a[0], nullptr));
    RECT r{};
    if (!w || !::GetWindowRect(w, &r)) return 1;
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (!::GetMonitorInfoW(::MonitorFromWindow(w, MONITOR_DEFAULTTONEAREST), &mi)) return 1;
    auto four = [](const RECT& q) {
        return std::to_string(q.left) + " " + std::to_string(q.top) + " " + std::to_string(q.right) + " " +
               std::to_string(q.bottom);
    };
    const bool vscroll = (::GetWindowLongW(w, GWL_STYLE) & WS_VSCROLL) != 0;
    const bool hscroll = (::GetWindowLongW(w, GWL_STYLE) & WS_HSCROLL) != 0;
    RECT client{};
    ::GetClientRect(w, &client);
    Out(four(r) + " work=" + four(mi.rcWork) + " vscroll=" + (vscroll ? "1" : "0") + " hscroll=" +
        (hscroll ? "1" : "0") + " client=" + std::to_string(client.right) + " " + std::to_string(client.bottom));
    return 0;
}

int CmdCancel(const std::vector<std::wstring>& a) {
    if (a.size() < 1) return 2;
    HWND dlg = nullptr;
    if (!Poll(Number(a[0]), [&] {
            dlg = ProgramDialog();
            return dlg && ::IsWindowVisible(dlg) && ::GetDlgItem(dlg, IDCANCEL);
        }))
        return 1;
    ::PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dlg, IDCANCEL)));
    return Poll(5000, [&] { return !::IsWindow(dlg); }) ? 0 : 1;
}

int CmdOwner(const std::vector<std::wstring>& a) {
    if (a.size() < 1) return 2;
    HWND dlg = nullptr;
    if (!Poll(Number(a[0]), [&] { return (dlg = ProgramDialog()) != nullptr && ::IsWindowVisible(dlg); })) return 1;
    HWND owner = ::GetWindow(dlg, GW_OWNER);
    Out(owner ? Utf8(ClassOf(owner)) : "");
    return 0;
}

int CmdForeground() {
    HWND w = ::GetForegroundWindow();
    if (!w) return 1;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const bool known = ::GetGUIThreadInfo(::GetWindowThreadProcessId(w, nullptr), &info) && info.hwndFocus;
    Out(Utf8(ClassOf(w)) + " " + (known ? Utf8(ClassOf(info.hwndFocus)) : std::string("-")));
    return 0;
}

int CmdVersion(const std::vector<std::wstring>& a) {
    if (a.size() < 1) return 2;
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(a[0].c_str(), &ignored);
    std::vector<unsigned char> info(size);
    if (!size || !::GetFileVersionInfoW(a[0].c_str(), 0, size, info.data())) return 1;
    // The text block of the first language and code page the resource names.
    WORD* translation = nullptr;
    UINT bytes = 0;
    if (!::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                          &bytes) ||
        bytes < 2 * sizeof(WORD))
        return 1;
    wchar_t key[64];
    std::swprintf(key, 64, L"\\StringFileInfo\\%04x%04x\\ProductVersion", translation[0], translation[1]);
    wchar_t* text = nullptr;
    if (!::VerQueryValueW(info.data(), key, reinterpret_cast<void**>(&text), &bytes) || !text) return 1;
    Out(Utf8(text));
    return 0;
}

int CmdTrayIcons() {
    int n = 0;
    ::EnumWindows(&CountTrayIconsTop, reinterpret_cast<LPARAM>(&n));
    Out(std::to_string(n));
    return 0;
}

int CmdIfNames() {
    ULONG size = 0;
    ::GetIfTable(nullptr, &size, FALSE);
    std::vector<unsigned char> buf(size ? size : sizeof(MIB_IFTABLE));
    auto* table = reinterpret_cast<MIB_IFTABLE*>(buf.data());
    if (::GetIfTable(table, &size, FALSE) != NO_ERROR) return 1;
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const MIB_IFROW& r = table->table[i];
        std::string descr(reinterpret_cast<const char*>(r.bDescr), r.dwDescrLen);
        while (!descr.empty() && descr.back() == '\0') descr.pop_back();
        Out(descr + "\t" + std::to_string(r.dwInOctets) + "\t" + std::to_string(r.dwOutOctets) + "\t" +
            std::to_string(r.dwType));
    }
    return 0;
}

int CmdRecordOpen(const std::vector<std::wstring>& a) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring log = path;
    log = log.substr(0, log.find_last_of(L'\\') + 1) + L"opened.log";
    FILE* f = _wfopen(log.c_str(), L"ab");
    if (!f) return 1;
    std::string line = Utf8(a.empty() ? L"" : a[0]) + "\n";
    std::fwrite(line.data(), 1, line.size(), f);
    std::fclose(f);
    return 0;
}

int CmdHold(const std::vector<std::wstring>& a) {
    if (a.size() != 2) return 2;
    HANDLE h = ::CreateFileW(a[0].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 1;
    Out("held");
    while (::GetFileAttributesW(a[1].c_str()) != INVALID_FILE_ATTRIBUTES) ::Sleep(100);
    ::CloseHandle(h);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    // Work on the program's virtual desktop.
    EnsureDesktop();

    const std::wstring cmd = argv[1];
    std::vector<std::wstring> a(argv + 2, argv + argc);
    if (cmd == L"find") return CmdFind(a);
    if (cmd == L"count") return CmdCount(a);
    if (cmd == L"text") return CmdText(a);
    if (cmd == L"wait") return CmdWait(a);
    if (cmd == L"send") return CmdSend(a);
    if (cmd == L"post") return CmdPost(a);
    if (cmd == L"queryend-loop") return CmdQueryEndLoop(a);
    if (cmd == L"broadcast-taskbar") return CmdBroadcastTaskbar();
    if (cmd == L"click") return CmdClick(a);
    if (cmd == L"listview") return CmdListView(a);
    if (cmd == L"input") return CmdInput(a);
    if (cmd == L"message") return CmdMessage(a);
    if (cmd == L"question") return CmdQuestion(a);
    if (cmd == L"menu-pick") return CmdMenuPick(a);
    if (cmd == L"tray-icons") return CmdTrayIcons();
    if (cmd == L"children") return CmdChildren(a);
    if (cmd == L"rect") return CmdRect(a);
    if (cmd == L"owner") return CmdOwner(a);
    if (cmd == L"cancel") return CmdCancel(a);
    if (cmd == L"foreground") return CmdForeground();
    if (cmd == L"ifnames") return CmdIfNames();
    if (cmd == L"record-open") return CmdRecordOpen(a);
    if (cmd == L"version") return CmdVersion(a);
    if (cmd == L"hold") return CmdHold(a);
    return 2;
}
