#include "ui/PanelView.h"

#include <windowsx.h>

#include <algorithm>
#include <optional>


namespace velkaro::ui {

namespace {

// Tahoma has Cyrillic on every Windows since 2000 and under Wine.
constexpr wchar_t kFace[] = L"Tahoma";

COLORREF ToColorRef(std::uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// None for a request that asks no position (SB_LINELEFT is SB_LINEUP, SB_LEFT is SB_TOP).
std::optional<int> Requested(HWND hwnd, int bar, WORD request, int pos, int line, int page, int end) {
    page = std::max(line, page);
    switch (request) {
    case SB_LINEUP: return pos - line;
    case SB_LINEDOWN: return pos + line;
    case SB_PAGEUP: return pos - page;
    case SB_PAGEDOWN: return pos + page;
    case SB_TOP: return 0;
    case SB_BOTTOM: return end;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        // The 32-bit position: the message's own is 16 bits.
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        if (::GetScrollInfo(hwnd, bar, &si)) return si.nTrackPos;
        return std::nullopt;
    }
    default: return std::nullopt;
    }
}

// Sets what mask names of a scroll bar: its position, its range of 0..range - 1, its page.
void SetScrollBar(HWND hwnd, int bar, UINT mask, int pos, int range = 0, int page = 0) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = mask;
    si.nMax = std::max(0, range - 1);
    si.nPage = static_cast<UINT>(page);
    si.nPos = pos;
    ::SetScrollInfo(hwnd, bar, &si, TRUE);
}

// The position kept within 0..end, the bar's thumb moved with it; false when it stays.
bool MoveThumb(HWND hwnd, int bar, int& pos, int to, int end) {
    to = std::clamp(to, 0, std::max(0, end));
    if (to == pos) return false;
    pos = to;
    SetScrollBar(hwnd, bar, SIF_POS, pos);
    return true;
}

// Movement short of a notch (fine wheels) adds up until it makes a step.
int WheelSteps(int& rest, int delta) {
    rest += delta;
    const int steps = rest / WHEEL_DELTA;
    rest -= steps * WHEEL_DELTA;
    return steps;
}

}  // namespace

PanelView::PanelView(const StatisticsPanel& panel, RightClick onRightClick, win::Dpi dpi)
    : panel_(panel), onRightClick_(std::move(onRightClick)), dpi_(dpi) {
    MakeFonts();
}

void PanelView::SetDpi(win::Dpi dpi) {
    if (dpi == dpi_) return;
    dpi_ = dpi;
    // The fonts leave the memory DC before they go; the bitmap, of the old pixels, goes too.
    ReleaseBitmap();
    if (memDc_ && oldFont_) ::SelectObject(memDc_.get(), oldFont_);
    oldFont_ = nullptr;
    selectedFont_ = nullptr;
    MakeFonts();
    UpdateScrollBar();
    ShowItems();
}

void PanelView::MakeFonts() {
    const int height = -::MulDiv(10, dpi_.Value(), 72);  // 10 points
    font_ = win::MakeFont({kFace, height, FW_NORMAL, RUSSIAN_CHARSET});
    boldFont_ = win::MakeFont({kFace, height, FW_BOLD, RUSSIAN_CHARSET});
    // GDI advances a text by the sum of its characters' widths (no kerning in TextOut or
    // GetTextExtentPoint32), so the widths of the font's 256 characters, measured once, give
    // every text's width without asking GDI again.
    win::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!dc) win::ThrowLastError("CreateCompatibleDC");
    win::SelectObjectScope select(dc.get(), font_.get());
    for (int c = 0; c < 256; ++c) {
        const std::wstring w = win::Widen(std::string(1, static_cast<char>(c)));
        SIZE size{};
        if (!::GetTextExtentPoint32W(dc.get(), w.c_str(), static_cast<int>(w.size()), &size))
            win::ThrowLastError("GetTextExtentPoint32");
        charWidths_[static_cast<std::size_t>(c)] = size.cx;
    }
}

PanelView::~PanelView() {
    Destroy();
    if (memDc_ && oldBitmap_) ::SelectObject(memDc_.get(), oldBitmap_);
    if (memDc_ && oldFont_) ::SelectObject(memDc_.get(), oldFont_);
}

void PanelView::Create(HWND parent) {
    win::Window::Create({L"VelkaroImage1"}, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, 0, 0, 0, 0, 0, parent);
    UpdateScrollBar();
}

int PanelView::TextWidth(const std::string& text) const {
    int width = 0;
    for (unsigned char c : text) width += charWidths_[c];
    return width;
}

void PanelView::SetWhite() {
    white_ = true;
    if (!memDc_) memDc_.reset(::CreateCompatibleDC(nullptr));
    if (!memDc_) win::ThrowLastError("CreateCompatibleDC");
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

void PanelView::ShowItems() {
    itemsPending_ = true;  // painted now when shown, else when the window is shown
    Shown(::IsWindowVisible(Handle()) != FALSE);
}

void PanelView::Shown(bool shown) {
    if (!shown) {
        ReleaseBitmap();  // nobody sees it: it comes back painted when the window is shown
        itemsPending_ = true;
    } else if (itemsPending_ || !bitmap_) {
        PaintItems();
        ::InvalidateRect(Handle(), nullptr, FALSE);
    }
}

// ---- scrolling ----

int PanelView::VisibleHeight() const { return static_cast<int>(win::ClientRect(Handle()).bottom); }

int PanelView::Page() const { return std::max(0, dpi_.Units(VisibleHeight())); }

int PanelView::PageWidth() const { return std::max(0, dpi_.Units(static_cast<int>(win::ClientRect(Handle()).right))); }

void PanelView::SetScrollSize(int width, int height) {
    scrollWidth_ = width;
    scrollHeight_ = height;
    UpdateScrollBar();
}

void PanelView::UpdateScrollBar() {
    if (!Handle()) return;
    // Which bars the panel needs, judged on the whole area with neither bar: each one takes
    // room from the other's page, so both are settled before either is set.
    const RECT client = win::ClientRect(Handle());
    const LONG style = ::GetWindowLongW(Handle(), GWL_STYLE);
    const int barWidth = win::SystemMetric(SM_CXVSCROLL, dpi_);
    const int barHeight = win::SystemMetric(SM_CYHSCROLL, dpi_);
    const int fullWidth = static_cast<int>(client.right) + ((style & WS_VSCROLL) ? barWidth : 0);
    const int fullHeight = static_cast<int>(client.bottom) + ((style & WS_HSCROLL) ? barHeight : 0);
    bool down = scrollHeight_ > dpi_.Units(fullHeight);
    const bool sideways = scrollWidth_ > dpi_.Units(fullWidth - (down ? barWidth : 0));
    if (sideways && !down) down = scrollHeight_ > dpi_.Units(fullHeight - barHeight);
    const int page = std::max(0, dpi_.Units(fullHeight - (sideways ? barHeight : 0)));
    const int pageWidth = std::max(0, dpi_.Units(fullWidth - (down ? barWidth : 0)));

    if (MoveThumb(Handle(), SB_VERT, scrollTop_, scrollTop_, scrollHeight_ - page)) {
        if (bitmap_) WhitenBitmap();  // other rows: painted again at the next paint
        ::InvalidateRect(Handle(), nullptr, FALSE);
    }
    // The bitmap holds every column: only the screen shows others.
    if (MoveThumb(Handle(), SB_HORZ, scrollLeft_, scrollLeft_, scrollWidth_ - pageWidth))
        ::InvalidateRect(Handle(), nullptr, FALSE);
    SetScrollBar(Handle(), SB_VERT, SIF_RANGE | SIF_PAGE | SIF_POS, scrollTop_, scrollHeight_, page);
    SetScrollBar(Handle(), SB_HORZ, SIF_RANGE | SIF_PAGE | SIF_POS, scrollLeft_, scrollWidth_, pageWidth);
}

void PanelView::ScrollTo(int top) {
    if (!MoveThumb(Handle(), SB_VERT, scrollTop_, top, scrollHeight_ - Page())) return;
    // The bitmap shows other rows now: painted again from white.
    if (bitmap_) {
        WhitenBitmap();
        PaintItems();
    }
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

void PanelView::ScrollSidewaysTo(int left) {
    // The bitmap holds the panel's whole width: the screen shows another part of it.
    if (MoveThumb(Handle(), SB_HORZ, scrollLeft_, left, scrollWidth_ - PageWidth()))
        ::InvalidateRect(Handle(), nullptr, FALSE);
}

bool PanelView::OnScrollKey(WPARAM key) {
    const int page = std::max(kScrollLine, Page());
    switch (key) {
    case VK_LEFT: ScrollSidewaysTo(scrollLeft_ - kScrollColumn); return true;
    case VK_RIGHT: ScrollSidewaysTo(scrollLeft_ + kScrollColumn); return true;
    case VK_UP: ScrollTo(scrollTop_ - kScrollLine); return true;
    case VK_DOWN: ScrollTo(scrollTop_ + kScrollLine); return true;
    case VK_PRIOR: ScrollTo(scrollTop_ - page); return true;
    case VK_NEXT: ScrollTo(scrollTop_ + page); return true;
    case VK_HOME: ScrollTo(0); return true;
    case VK_END: ScrollTo(scrollHeight_); return true;
    default: return false;
    }
}

bool PanelView::OnScrollMessage(UINT msg, WPARAM wp) {
    const int delta = GET_WHEEL_DELTA_WPARAM(wp);
    switch (msg) {
    case WM_KEYDOWN: return OnScrollKey(wp);
    case WM_MOUSEWHEEL: {
        UINT lines = 3;
        ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
        if (lines == WHEEL_PAGESCROLL) lines = static_cast<UINT>(std::max(1, Page() / kScrollLine));
        if (const int steps = WheelSteps(wheelRest_, delta * static_cast<int>(lines)))
            ScrollTo(scrollTop_ - steps * kScrollLine);
        return true;
    }
    case WM_MOUSEHWHEEL:
        // A tilt to the right (positive) shows what lies to the right, a notch a column.
        if (const int steps = WheelSteps(sidewaysWheelRest_, delta))
            ScrollSidewaysTo(scrollLeft_ + steps * kScrollColumn);
        return true;
    default: return false;
    }
}

// ---- the bitmap ----

bool PanelView::MakeBitmap(int width, int height) {
    if (!memDc_) return false;
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (bitmap_ && width == bitmapSize_.cx && height == bitmapSize_.cy) return true;
    ReleaseBitmap();
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win::UniqueBitmap made(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!made) return false;  // no memory: the image shows the window's colour
    oldBitmap_ = ::SelectObject(memDc_.get(), made.get());
    bitmap_ = std::move(made);
    bitmapSize_ = SIZE{width, height};
    WhitenBitmap();
    return true;
}

void PanelView::ReleaseBitmap() {
    painted_ = std::vector<PaintedItem>();  // its memory too
    if (!bitmap_) return;
    ::SelectObject(memDc_.get(), oldBitmap_);
    bitmap_.reset();
    bitmapSize_ = SIZE{0, 0};
}

void PanelView::WhitenBitmap() {
    const RECT all{0, 0, bitmapSize_.cx, bitmapSize_.cy};
    ::FillRect(memDc_.get(), &all, win::WhiteBrush());
    painted_.clear();
    paintedEnd_ = 0;
}

void PanelView::SelectPanelFont(bool bold) {
    HFONT font = bold ? boldFont_.get() : font_.get();
    if (font == selectedFont_) return;
    HGDIOBJ previous = ::SelectObject(memDc_.get(), font);
    if (!oldFont_) oldFont_ = previous;
    selectedFont_ = font;
}

void PanelView::PaintItems() {
    itemsPending_ = false;
    // From here on, pixels.
    if (!MakeBitmap(dpi_.Px(panel_.BitmapWidth()), VisibleHeight())) return;
    HDC dc = memDc_.get();
    ::SetBkMode(dc, OPAQUE);
    ::SetBkColor(dc, RGB(255, 255, 255));
    ::SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    const COLORREF desktop = ::GetSysColor(COLOR_BACKGROUND);
    const int top = dpi_.Px(scrollTop_);
    const int bottom = top + bitmapSize_.cy;
    const std::vector<PanelItem>& items = panel_.Items();
    painted_.resize(items.size());  // a new item's entry is painted nowhere
    COLORREF textColour = CLR_INVALID;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const PanelItem& item = items[i];
        const RECT cell{dpi_.Px(item.cell.left), dpi_.Px(item.cell.top) - top, dpi_.Px(item.cell.right),
                        dpi_.Px(item.cell.bottom) - top};
        if (cell.bottom <= 0 || cell.top >= bitmapSize_.cy) {
            painted_[i].painted = false;
            continue;
        }
        const COLORREF colour = item.desktopColour ? desktop : ToColorRef(item.rgb);
        // A cell that shows this very item already is left alone.
        if (painted_[i].painted && painted_[i].colour == colour && painted_[i].item == item) continue;
        SelectPanelFont(item.bold);
        if (colour != textColour) ::SetTextColor(dc, textColour = colour);
        const std::wstring w = win::Widen(item.text);
        // The whole cell white first, so nothing of a longer text that stood there stays.
        ::ExtTextOutW(dc, dpi_.Px(item.x), dpi_.Px(item.y) - top, ETO_OPAQUE | ETO_CLIPPED, &cell, w.c_str(),
                      static_cast<UINT>(w.size()), nullptr);
        painted_[i] = PaintedItem{item, colour, true};
    }
    // Below the drawn blocks: the rows of blocks drawn before and no longer.
    const int blocksEnd = panel_.BlocksEnd();
    if (paintedEnd_ > blocksEnd) {
        const RECT below{0, std::max(dpi_.Px(blocksEnd), top) - top, bitmapSize_.cx,
                         std::min(dpi_.Px(paintedEnd_), bottom) - top};
        if (below.top < below.bottom) ::FillRect(dc, &below, win::WhiteBrush());
    }
    paintedEnd_ = blocksEnd;
    ::GdiFlush();
}

void PanelView::Paint(HDC dc, const RECT& clip) {
    const RECT r = win::ClientRect(Handle());
    const HBRUSH back = Background();
    const int left = dpi_.Px(scrollLeft_);
    const int bw = bitmap_ ? std::max(0, static_cast<int>(bitmapSize_.cx) - left) : 0;
    const int bh = bitmap_ ? static_cast<int>(bitmapSize_.cy) : 0;
    const int blitWidth = std::min<int>(clip.right, bw) - clip.left;
    const int blitHeight = std::min<int>(clip.bottom, bh) - clip.top;
    if (blitWidth > 0 && blitHeight > 0)
        ::BitBlt(dc, clip.left, clip.top, blitWidth, blitHeight, memDc_.get(), clip.left + left, clip.top, SRCCOPY);
    // Where the bitmap does not reach, the window's colour shows.
    RECT right{bw, 0, r.right, r.bottom};
    RECT below{0, bh, std::min<int>(bw, r.right), r.bottom};
    if (right.left < right.right) ::FillRect(dc, &right, back);
    if (below.top < below.bottom && below.left < below.right) ::FillRect(dc, &below, back);
}

LRESULT PanelView::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers everything
    case WM_PAINT: {
        win::PaintDc pdc(Handle());
        Paint(pdc.get(), pdc.paint().rcPaint);
        return 0;
    }
    case WM_SIZE:
        UpdateScrollBar();
        return 0;
    case WM_RBUTTONDOWN:
        // The pick works in the panel's coordinates.
        if (onRightClick_)
            onRightClick_(dpi_.Units(GET_X_LPARAM(lp) + dpi_.Px(scrollLeft_)),
                          dpi_.Units(GET_Y_LPARAM(lp) + dpi_.Px(scrollTop_)));
        return 0;
    case WM_HSCROLL:
        if (const auto left = Requested(Handle(), SB_HORZ, LOWORD(wp), scrollLeft_, kScrollColumn, PageWidth(),
                                        scrollWidth_))
            ScrollSidewaysTo(*left);
        return 0;
    case WM_VSCROLL:
        if (const auto top = Requested(Handle(), SB_VERT, LOWORD(wp), scrollTop_, kScrollLine, Page(), scrollHeight_))
            ScrollTo(*top);
        return 0;
    default:
        if (OnScrollMessage(msg, wp)) return 0;
        break;
    }
    return win::Window::WindowProc(msg, wp, lp);
}

}  // namespace velkaro::ui
