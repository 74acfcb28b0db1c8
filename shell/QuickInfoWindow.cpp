#include "shell/QuickInfoWindow.h"

#include <commctrl.h>

#include <stdexcept>

#include "core/AppError.h"
#include "core/Texts.h"
#include "shell/Autostart.h"
#include "shell/TrayIcon.h"
#include "win/Fonts.h"
#include "win/Geometry.h"
#include "win/Utf16.h"

namespace velkaro::shell {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;  // no system menu
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_TOPMOST;
constexpr UINT_PTR kListViewId = 1;

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

TForm2::TForm2(TApplication& app, const Accounting& accounting, QuickInfoOptions options)
    : TForm(app), a_(accounting), autostart_(options.autostart) {
    RECT r{0, 0, kLayoutClientWidth, kLayoutClientHeight};
    ::AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
    CreateForm(kClassName, texts::kForm2Caption, kStyle, kExStyle, kLayoutLeft, kLayoutTop,
               win::Width(r), win::Height(r));

    font_ = win::MakeFont({L"MS Sans Serif", -11});
    ::SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

    // PopupMenu1, the tray icon's menu.
    popupMenu_.reset(::CreatePopupMenu());
    if (!popupMenu_) throw std::runtime_error("TForm2: the menu could not be created");
    ::AppendMenuW(popupMenu_.get(), MF_STRING, kN10, win::Widen(texts::kMenuMainForm).c_str());
    ::AppendMenuW(popupMenu_.get(), MF_STRING, kN3, win::Widen(texts::kMenuAutostart).c_str());
    ::AppendMenuW(popupMenu_.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(popupMenu_.get(), MF_STRING, kN2, win::Widen(texts::kMenuExit).c_str());

    // The components, in the order of the stored form: the guard first, then the tray icon.
    OneInstance1 = std::make_unique<TOneInstance>(app);
    OneInstance1->ShowMessage = true;
    OneInstance1->Message = texts::kAlreadyRunning;
    OneInstance1->ActivatePrevInstance = true;
    if (options.configureGuard) options.configureGuard(*OneInstance1);

    TrayIcon1 = std::make_unique<TTrayIcon>(app, *this);
    TrayIcon1->SetHint(texts::kAppTitle);
    TrayIcon1->SetShowHint(true);
    TrayIcon1->SetIcon(app.Icon());
    TrayIcon1->SetIconID(0);
    TrayIcon1->SetMinimizeToTray(true);
    TrayIcon1->SetMinimizeOnStart(true);
    TrayIcon1->SetPopupMenu(popupMenu_.get());
    TrayIcon1->OnDblClick = [this] { TrayIcon1DblClick(); };
    if (options.configureTray) options.configureTray(*TrayIcon1);

    // Loaded, component by component.
    if (options.trace) options.trace("guard");
    OneInstance1->Loaded();
    if (options.trace) options.trace("tray");
    TrayIcon1->Loaded();

    app.SetMainForm(this);
    if (options.trace) options.trace("main form");
}

// ListView1: report view, grid lines, headers that take no clicks, flat single border. Made
// when the window is first to be shown: its library, comctl32, is loaded only then (loading it
// registers every common control and loads their images, megabytes a program that stays in
// the tray never needs), and stays for the rest of the run.
void TForm2::MakeListView() {
    if (listView_) return;
    static const HMODULE library = ::LoadLibraryW(L"comctl32.dll");
    using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init = library ? reinterpret_cast<InitFunction>(
                                    reinterpret_cast<void*>(::GetProcAddress(library, "InitCommonControlsEx")))
                              : nullptr;
    const INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    if (!init || !init(&icc)) throw std::runtime_error("TForm2: the list view could not be created");
    const RECT client = win::ClientRect(Handle());
    listView_ = ::CreateWindowExW(0, WC_LISTVIEWW, L"",
                                  WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT |
                                      LVS_NOSORTHEADER | LVS_SHOWSELALWAYS | LVS_SINGLESEL,
                                  0, 0, client.right, client.bottom, Handle(),
                                  reinterpret_cast<HMENU>(kListViewId), app_.Instance(), nullptr);
    if (!listView_) throw std::runtime_error("TForm2: the list view could not be created");
    ::SendMessageW(listView_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    ::SendMessageW(listView_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT,
                   LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    for (int i = 0; i < 3; ++i) {
        std::wstring caption = win::Widen(kColumns[i].caption);
        LVCOLUMNW col{};
        col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        col.fmt = kColumns[i].format;
        col.cx = kColumns[i].width;
        col.pszText = caption.data();
        col.iSubItem = i;
        ::SendMessageW(listView_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&col));
    }
}

TForm2::~TForm2() {
    // The icon leaves the notification area before its menu goes.
    TrayIcon1.reset();
}

bool TForm2::RefreshQuickInfo() {
    if (!IsVisible()) return false;
    MakeListView();
    const std::vector<QuickInfoRow>& rows = a_.quickInfoRows;
    // The list gets only what changed: rows no longer there go from the end, a row's cells
    // are set where their texts differ from what the list holds, new rows are added. When rows
    // come or go, the list is drawn once at the end, its scroll bars set for its final size.
    const bool rowsChange = listed_.size() != rows.size();
    if (rowsChange) ::SendMessageW(listView_, WM_SETREDRAW, FALSE, 0);
    while (listed_.size() > rows.size()) {
        ::SendMessageW(listView_, LVM_DELETEITEM, listed_.size() - 1, 0);
        listed_.pop_back();
    }
    bool adding = true;  // false once an item could not be added: the rest waits for the next refresh
    int h = kFirstThreshold;
    RECT r = win::WindowRect(Handle());
    RECT area{};
    bool haveArea = false;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const QuickInfoRow& row = rows[k];
        const int item = static_cast<int>(k);
        if (k < listed_.size()) {
            QuickInfoRow& listed = listed_[k];
            if (listed.name != row.name) SetItemText(listView_, item, 0, listed.name = row.name);
            if (listed.traffic != row.traffic) SetItemText(listView_, item, 1, listed.traffic = row.traffic);
            if (listed.cost != row.cost) SetItemText(listView_, item, 2, listed.cost = row.cost);
        } else if (adding) {
            std::wstring name = win::Widen(row.name);
            LVITEMW it{};
            it.mask = LVIF_TEXT;
            it.iItem = item;
            it.pszText = name.data();
            if (::SendMessageW(listView_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&it)) == item) {
                SetItemText(listView_, item, 1, row.traffic);
                SetItemText(listView_, item, 2, row.cost);
                listed_.push_back(row);
            } else {
                adding = false;
            }
        }
        // One step of growth per row that needs it, never beyond the work area; a window
        // that would reach below it moves up.
        h += kRowStep;
        if (win::Height(r) < h) {
            if (!haveArea) {
                area = win::MonitorWorkArea(Handle());
                haveArea = true;
            }
            RECT grown = r;
            grown.bottom = r.top + std::min(win::Height(r) + kRowStep, win::Height(area));
            if (grown.bottom > r.bottom) {
                grown = win::MoveInside(grown, area);
                ::SetWindowPos(Handle(), nullptr, grown.left, grown.top, win::Width(grown),
                               win::Height(grown), SWP_NOZORDER | SWP_NOACTIVATE);
                r = win::WindowRect(Handle());
            }
        }
    }
    if (rowsChange) {
        ::SendMessageW(listView_, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(listView_, nullptr, TRUE);
    }
    return true;
}

void TForm2::TrayIcon1DblClick() {
    if (link_ && link_->QuickInfoShown())
        Hide();
    else
        Show();
}

void TForm2::Form1N10Click() {
    if (link_) link_->ShowStatistics();
    Hide();
}

bool TForm2::SaveForExit() {
    if (OneInstance1 && OneInstance1->Terminate) return true;  // a refused instance never writes
    if (!link_) return true;  // no statistics window: nothing was loaded, nothing to write
    try {
        ++saves_;
        link_->Save();
        return true;
    } catch (const AppError& e) {
        app_.ShowError(e.what());
        return false;
    }
}

void TForm2::N2Click() {
    if (SaveForExit()) app_.EndRequest();
}

void TForm2::N3Click() {
    if (!autostart_) return;
    const bool on = !autostart_->IsOn();
    if (const LONG rc = autostart_->SetOn(on); rc != ERROR_SUCCESS)
        app_.ShowMessage((on ? texts::kAutostartWriteFailed : texts::kAutostartDeleteFailed) +
                         std::to_string(rc) + texts::kAutostartFailedEnd);
}

void TForm2::PopupMenu1Popup() {
    const bool on = autostart_ && autostart_->IsOn();
    ::CheckMenuItem(popupMenu_.get(), kN3, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void TForm2::FormCloseQuery(bool& canClose) {
    if (!SaveForExit()) canClose = false;
}

LRESULT TForm2::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wp) == 0 && lp == 0) {
            switch (LOWORD(wp)) {
            case kN10:
                Form1N10Click();
                return 0;
            case kN2:
                N2Click();
                return 0;
            case kN3:
                N3Click();
                return 0;
            default:
                break;
            }
        }
        break;
    case WM_INITMENUPOPUP:
        if (reinterpret_cast<HMENU>(wp) == popupMenu_.get()) PopupMenu1Popup();
        break;
    case WM_SHOWWINDOW:
        if (wp) MakeListView();
        break;
    case WM_SIZE:
        if (listView_)
            ::MoveWindow(listView_, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return 0;
    case WM_QUERYENDSESSION: {
        // The close query answers for the main form. One save per session end: a repeated
        // query before the session has ended or been cancelled is answered without another.
        if (sessionSaved_) return TRUE;
        bool canClose = true;
        FormCloseQuery(canClose);
        sessionSaved_ = canClose;
        return canClose ? TRUE : FALSE;
    }
    case WM_ENDSESSION:
        if (wp) {
            // The session ends: leave without another save.
            app_.EndRequest();
        } else {
            sessionSaved_ = false;  // cancelled by some program; saves are due again
        }
        return 0;
    default:
        break;
    }
    return TForm::WindowProc(msg, wp, lp);
}

}  // namespace velkaro::shell
