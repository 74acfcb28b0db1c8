#include "ui/QuickInfoWindow.h"

#include <commctrl.h>

#include <iterator>
#include <stdexcept>

#include "core/Files.h"
#include "core/Texts.h"
#include "win/DialogsWin32.h"

namespace velkaro::ui {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;  // no system menu
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_TOPMOST;
constexpr UINT_PTR kListViewId = 1;
constexpr int kLayoutLeft = 358;
constexpr int kLayoutTop = 264;
constexpr int kFirstThreshold = 43;  // the outer height the first row needs
constexpr int kRowStep = 13;         // each further row, and each step of growth

UINT Id(Command command) { return static_cast<UINT>(command); }

struct Column {
    const char* caption;
    int width;
    int format;
};
constexpr Column kColumns[] = {
    {texts::kColumnName, 125, LVCFMT_LEFT},
    {texts::kColumnTraffic, 90, LVCFMT_CENTER},
    {texts::kColumnCost, 75, LVCFMT_CENTER},
};

void SetItemText(HWND list, int item, int column, const std::string& text) {
    std::wstring w = win::Widen(text);
    LVITEMW it{};
    it.iSubItem = column;
    it.pszText = w.data();
    ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it));
}

}  // namespace

QuickInfoWindow::QuickInfoWindow(Application& app, TrafficMeter& meter, AutostartSetting* autostart,
                                 std::function<void()> showStatistics, std::function<void()> showGraph)
    : AppWindow(app),
      meter_(meter),
      autostart_(autostart),
      showStatistics_(std::move(showStatistics)),
      showGraph_(std::move(showGraph)) {
    CreateOwned(L"TForm2", texts::kQuickInfoCaption, kStyle, kExStyle, dpi_.Px(kLayoutLeft), dpi_.Px(kLayoutTop),
                kLayoutClientWidth, kLayoutClientHeight);
    SetDpi(dpi_);

    menu_ = win::LoadPopupMenu(L"TRAYMENU");
    if (!menu_) throw std::runtime_error("Fast INFO: the menu could not be created");
}

// Made when the window is first shown: loading comctl32 registers every common control and
// loads their images, megabytes a program that stays in the tray never needs.
void QuickInfoWindow::MakeListView() {
    if (listView_) return;
    static const HMODULE library = ::LoadLibraryW(L"comctl32.dll");
    const auto init = win::FunctionOf<decltype(&::InitCommonControlsEx)>(library, "InitCommonControlsEx");
    const INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    if (!init || !init(&icc)) throw std::runtime_error("Fast INFO: the list view could not be created");
    const RECT client = win::ClientRect(Handle());
    listView_ = ::CreateWindowExW(0, WC_LISTVIEWW, L"",
                                  WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT |
                                      LVS_NOSORTHEADER | LVS_SHOWSELALWAYS | LVS_SINGLESEL,
                                  0, 0, client.right, client.bottom, Handle(),
                                  reinterpret_cast<HMENU>(kListViewId), ::GetModuleHandleW(nullptr), nullptr);
    if (!listView_) throw std::runtime_error("Fast INFO: the list view could not be created");
    ::SendMessageW(listView_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    ::SendMessageW(listView_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT,
                   LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    for (int i = 0; i < 3; ++i) {
        std::wstring caption = win::Widen(kColumns[i].caption);
        LVCOLUMNW col{};
        col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        col.fmt = kColumns[i].format;
        col.cx = dpi_.Px(kColumns[i].width);
        col.pszText = caption.data();
        col.iSubItem = i;
        ::SendMessageW(listView_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&col));
    }
}

bool QuickInfoWindow::Refresh(const std::vector<QuickInfoRow>& rows) {
    shownAtRefresh_ = IsVisible();
    if (!shownAtRefresh_) return false;
    MakeListView();
    // Only what changed goes to the list; when rows come or go it is drawn once at the end, with
    // its scroll bars set for the window's final size.
    const bool rowsChange = listed_.size() != rows.size();
    if (rowsChange) ::SendMessageW(listView_, WM_SETREDRAW, FALSE, 0);
    while (listed_.size() > rows.size()) {
        ::SendMessageW(listView_, LVM_DELETEITEM, listed_.size() - 1, 0);
        listed_.pop_back();
    }
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const int item = static_cast<int>(k);
        if (k == listed_.size()) {
            // A new item, without texts until they are set below; when it cannot be added, the
            // rest waits for the next refresh.
            LVITEMW it{};
            it.iItem = item;
            if (::SendMessageW(listView_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&it)) != item) break;
            listed_.emplace_back();
        }
        const QuickInfoRow& row = rows[k];
        QuickInfoRow& listed = listed_[k];
        if (listed.name != row.name) SetItemText(listView_, item, 0, listed.name = row.name);
        if (listed.traffic != row.traffic) SetItemText(listView_, item, 1, listed.traffic = row.traffic);
        if (listed.cost != row.cost) SetItemText(listView_, item, 2, listed.cost = row.cost);
    }
    Place();
    if (rowsChange) {
        ::SendMessageW(listView_, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(listView_, nullptr, TRUE);
    }
    return true;
}

void QuickInfoWindow::Place() {
    const RECT now = win::WindowRect(Handle());
    const SIZE frame = win::FrameSize(Handle());
    const int frameUnits = dpi_.Units(frame.cy);
    int height = kLayoutClientHeight + frameUnits;
    int h = kFirstThreshold;
    for (std::size_t k = 0; k < listed_.size(); ++k) {
        h += kRowStep;
        if (height < h) height += kRowStep;
    }
    // Never beyond the work area; a window that would reach below it moves up.
    const RECT area = win::MonitorWorkArea(Handle());
    const int outerHeight = std::min(dpi_.Px(height - frameUnits) + static_cast<int>(frame.cy), win::Height(area));
    // A scrolling list makes the window wider by the scroll bar, so the columns fit beside it.
    int clientWidth = dpi_.Px(kLayoutClientWidth);
    if (ListScrolls(listed_.size(), outerHeight - frame.cy)) clientWidth += win::SystemMetric(SM_CXVSCROLL, dpi_);
    win::PlaceInside(Handle(), RECT{now.left, now.top, now.left + clientWidth + frame.cx, now.top + outerHeight}, area);
}

bool QuickInfoWindow::ListScrolls(std::size_t rows, int clientHeight) const {
    RECT item{};
    item.left = LVIR_BOUNDS;
    if (!listView_ || rows == 0 || !::SendMessageW(listView_, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item)))
        return false;
    const RECT outer = win::WindowRect(listView_);
    const RECT inner = win::ClientRect(listView_);
    const LONG style = ::GetWindowLongW(listView_, GWL_STYLE);
    const int border = win::Height(outer) - inner.bottom - ((style & WS_HSCROLL) ? win::SystemMetric(SM_CYHSCROLL, dpi_) : 0);
    HWND header = reinterpret_cast<HWND>(::SendMessageW(listView_, LVM_GETHEADER, 0, 0));
    const int headerHeight = header ? win::Height(win::WindowRect(header)) : 0;
    return headerHeight + static_cast<long long>(rows) * win::Height(item) > clientHeight - border;
}

void QuickInfoWindow::SetDpi(win::Dpi dpi) {
    dpi_ = dpi;
    font_ = win::MakeFont({L"MS Sans Serif", -dpi_.Px(11)});
    if (!listView_) return;
    ::SendMessageW(listView_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i)
        ::SendMessageW(listView_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), MAKELPARAM(dpi_.Px(kColumns[i].width), 0));
}

void QuickInfoWindow::ToggleFromTray() {
    if (shownAtRefresh_)
        Hide();
    else
        Show();
}

bool QuickInfoWindow::Save() {
    try {
        meter_.SaveFiles();
        return true;
    } catch (const AppError& e) {
        app_.Dialogs().ShowError(e.what());
        return false;
    }
}

void QuickInfoWindow::Exit() {
    // Ending already: another close (a log-off or taskkill closes every window) saves nothing more.
    if (app_.EndRequested()) return;
    if (Save()) app_.EndRequest();
}

void QuickInfoWindow::StartWithWindows() {
    if (!autostart_) return;
    const bool on = !autostart_->IsOn();
    if (const LONG rc = autostart_->SetOn(on); rc != ERROR_SUCCESS)
        app_.Dialogs().ShowMessage((on ? texts::kAutostartWriteFailed : texts::kAutostartDeleteFailed) +
                                   std::to_string(rc) + texts::kAutostartFailedEnd);
}

LRESULT QuickInfoWindow::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wp) == 0 && lp == 0) {
            win::DialogOwner owner(Handle());  // its messages come from this window while it shows
            switch (static_cast<Command>(LOWORD(wp))) {
            case Command::ShowStatistics:
                showStatistics_();  // the statistics window in front, this one hidden
                Hide();
                return 0;
            case Command::StartWithWindows: StartWithWindows(); return 0;
            case Command::SpeedGraphAll: showGraph_(); return 0;
            case Command::TrayActivity: meter_.Run(Command::TrayActivity); return 0;
            case Command::Exit: Exit(); return 0;
            default: break;
            }
        }
        break;
    case WM_INITMENUPOPUP:
        if (reinterpret_cast<HMENU>(wp) == menu_.get()) {
            const bool on = autostart_ && autostart_->IsOn();
            ::CheckMenuItem(menu_.get(), Id(Command::StartWithWindows), MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
            const bool activity = meter_.State().TrayActivity();
            ::CheckMenuItem(menu_.get(), Id(Command::TrayActivity), MF_BYCOMMAND | (activity ? MF_CHECKED : MF_UNCHECKED));
        }
        break;
    case WM_SHOWWINDOW:
        // The work area may have changed while it was hidden.
        if (wp) {
            MakeListView();
            Place();
        }
        break;
    case WM_SIZE:
        if (listView_) ::MoveWindow(listView_, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return 0;
    case WM_CLOSE:
        Exit();  // the main window: its close saves and ends the program
        return 0;
    case WM_QUERYENDSESSION:
        // One save per session end: a repeated query before the session has ended or been
        // cancelled is answered without another.
        if (!sessionSaved_) sessionSaved_ = Save();
        return sessionSaved_ ? TRUE : FALSE;
    case WM_ENDSESSION:
        if (wp)
            app_.EndRequest();  // the session ends: leave without another save
        else
            sessionSaved_ = false;  // cancelled by some program; saves are due again
        return 0;
    case WM_POWERBROADCAST:
        if (wp == PBT_APMSUSPEND) Save();
        return TRUE;
    default:
        break;
    }
    return AppWindow::WindowProc(msg, wp, lp);
}

}  // namespace velkaro::ui
