#include "ui/SpeedGraphWindow.h"

#include <algorithm>
#include <cmath>

#include "core/Texts.h"

namespace velkaro::ui {

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX;
constexpr DWORD kExStyle = 0;
constexpr int kMargin = 8;      // units around everything
constexpr int kLabelGap = 6;    // between a label and the plot
constexpr int kLineWidth = 2;   // the speed lines' pens
constexpr int kMinutes = 10;    // a vertical grid line a minute
constexpr COLORREF kReceived = RGB(0x1F, 0x6F, 0xD0);  // as the tray icon's arrow down
constexpr COLORREF kSent = RGB(0x1E, 0x9A, 0x3A);      // and its arrow up
constexpr COLORREF kFrame = RGB(0xA0, 0xA0, 0xA0);
constexpr COLORREF kGrid = RGB(0xE2, 0xE2, 0xE2);
constexpr COLORREF kText = RGB(0x20, 0x20, 0x20);

SIZE TextSize(HDC dc, const std::wstring& text) {
    SIZE size{0, 0};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

// Draws text with its top-left corner at x, y and returns where it went.
RECT TextAt(HDC dc, const std::wstring& text, int x, int y, COLORREF colour) {
    const SIZE size = TextSize(dc, text);
    ::SetTextColor(dc, colour);
    ::TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
    return RECT{x, y, x + size.cx, y + size.cy};
}

bool Quiet(const SpeedGraph& g) {
    return std::ranges::all_of(g.points, [](const SpeedPoint& p) { return p.in == 0 && p.out == 0; });
}

}  // namespace

SpeedGraphWindow::SpeedGraphWindow(Application& app, TrafficMeter& meter) : AppWindow(app), meter_(meter) {
    CreateOwned(L"VelkaroSpeedGraph", texts::kGraphCaption, kStyle, kExStyle, 0, 0, kDefaultClientWidth,
                kDefaultClientHeight, nullptr);
    SetDpi(dpi_);
}

SpeedGraphWindow::~SpeedGraphWindow() { Destroy(); }

void SpeedGraphWindow::SetDpi(win::Dpi dpi) {
    if (dpi == dpi_ && font_) return;
    font_ = win::MakeFont({L"Tahoma", -dpi.Px(12), FW_NORMAL, RUSSIAN_CHARSET});
    dpi_ = dpi;
}

void SpeedGraphWindow::DpiMoved() {
    ::InvalidateRect(Handle(), nullptr, FALSE);
    KeepPlace();
}

void SpeedGraphWindow::UpdateCaption() {
    // The adapter's display name may change while the window shows (a rename).
    std::string caption = std::string(texts::kGraphCaption) + ": " +
                          (adapter_ ? GetDisplayName(meter_.State(), *adapter_) : std::string(texts::kGraphAll));
    if (caption == caption_) return;
    caption_ = std::move(caption);
    ::SetWindowTextW(Handle(), win::Widen(caption_).c_str());
}

void SpeedGraphWindow::ShowFor(const std::optional<std::string>& adapter, HWND opener) {
    adapter_ = adapter;
    UpdateCaption();
    if (!placed_ && !IsVisible()) {
        placed_ = true;
        // The kept corner, else the opener's work area, decides the monitor, whose DPI gives the size;
        // without a kept place it is centred in that work area.
        const std::optional<WindowPlace>& kept = meter_.State().GraphPlace();
        const RECT openerArea = win::MonitorWorkArea(opener ? opener : Handle());
        win::MoveTo(Handle(), kept ? kept->left : openerArea.left, kept ? kept->top : openerArea.top);
        SetDpi(win::WindowDpi(Handle()));
        const int width = dpi_.Px(kept ? kept->width : kDefaultWidth);
        const int height = dpi_.Px(kept ? kept->height : kDefaultHeight);
        const RECT area = kept ? win::MonitorWorkArea(Handle()) : openerArea;
        const POINT at = kept ? POINT{kept->left, kept->top} : win::CentredIn(area, width, height);
        win::PlaceInside(Handle(), RECT{at.x, at.y, at.x + width, at.y + height}, area);
    }
    graph_ = meter_.Graph(adapter_ ? &*adapter_ : nullptr);
    ::InvalidateRect(Handle(), nullptr, FALSE);
    BringToFrontFrom(opener);
    KeepPlace();
}

void SpeedGraphWindow::Refresh() {
    if (!IsVisible()) return;
    UpdateCaption();
    SpeedGraph next = meter_.Graph(adapter_ ? &*adapter_ : nullptr);
    // At rest nothing is drawn again, as the panel paints only cells that changed: the same texts,
    // and no line (nothing moved in either window).
    const auto label = &SpeedGraph::GridLine::label;
    const bool sameScale = std::ranges::equal(next.grid, graph_.grid, {}, label, label);
    const bool same = sameScale && next.inLine == graph_.inLine && next.outLine == graph_.outLine && Quiet(next) &&
                      Quiet(graph_);
    graph_ = std::move(next);
    if (same) return;
    // On the same scale only the speed lines above the plot and the plot change.
    if (!sameScale || drawn_.labels.size() < 2) {
        ::InvalidateRect(Handle(), nullptr, FALSE);
        return;
    }
    RECT texts{};
    ::UnionRect(&texts, &drawn_.labels[0], &drawn_.labels[1]);
    texts.right = win::ClientRect(Handle()).right;
    ::InvalidateRect(Handle(), &texts, FALSE);
    ::InvalidateRect(Handle(), &drawn_.plot, FALSE);
}

void SpeedGraphWindow::Place() {
    if (IsVisible()) win::PlaceInside(Handle(), win::WindowRect(Handle()), win::MonitorWorkArea(Handle()));
}

void SpeedGraphWindow::KeepPlace() {
    // A maximised or minimised window keeps the place it had before.
    if (!IsVisible() || ::IsIconic(Handle()) || ::IsZoomed(Handle())) return;
    const RECT r = win::WindowRect(Handle());
    meter_.State().SetGraphPlace(WindowPlace{r.left, r.top, dpi_.Units(win::Width(r)), dpi_.Units(win::Height(r))});
}

void SpeedGraphWindow::Paint(HDC dc, const RECT& client) {
    drawn_ = Geometry{};
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    win::SelectObjectScope font(dc, font_.get());
    ::SetBkMode(dc, TRANSPARENT);
    const int margin = dpi_.Px(kMargin), gap = dpi_.Px(kLabelGap);
    const int lineHeight = TextSize(dc, L"0").cy;

    // The speed lines above the plot, the received one first.
    drawn_.labels.push_back(TextAt(dc, win::Widen(graph_.inLine), margin, margin, kReceived));
    drawn_.labels.push_back(TextAt(dc, win::Widen(graph_.outLine), margin, margin + lineHeight, kSent));

    // Room for the widest grid label on the left, half a line above the plot for the top one's
    // upper half, and a line below it for the time axis.
    int labelWidth = 0;
    std::vector<std::wstring> labels;
    for (const SpeedGraph::GridLine& line : graph_.grid) {
        labels.push_back(win::Widen(line.label));
        labelWidth = std::max<int>(labelWidth, TextSize(dc, labels.back()).cx);
    }
    RECT& plot = drawn_.plot;
    plot.left = margin + labelWidth + gap;
    plot.top = margin + 2 * lineHeight + lineHeight / 2 + gap;
    plot.right = std::max<int>(plot.left + 1, client.right - margin);
    plot.bottom = std::max<int>(plot.top + 1, client.bottom - margin - lineHeight - gap / 2);
    const int width = win::Width(plot), height = win::Height(plot);

    const win::UniqueBrush gridBrush(::CreateSolidBrush(kGrid));
    auto fillLine = [&](int x0, int y0, int x1, int y1) {
        const RECT r{x0, y0, x1, y1};
        ::FillRect(dc, &r, gridBrush.get());
    };
    for (int m = 1; m < kMinutes; ++m) {
        const int x = plot.left + width * m / kMinutes;
        fillLine(x, plot.top, x + 1, plot.bottom);
    }
    const auto yOf = [&](double value) {
        const double share = graph_.top > 0 ? std::clamp(value / graph_.top, 0.0, 1.0) : 0.0;
        return plot.bottom - 1 - static_cast<int>(std::lround(share * (height - 1)));
    };
    for (std::size_t k = 0; k < graph_.grid.size(); ++k) {
        const int y = yOf(graph_.grid[k].value);
        fillLine(plot.left, y, plot.right, y + 1);
        const SIZE size = TextSize(dc, labels[k]);
        drawn_.labels.push_back(TextAt(dc, labels[k], plot.left - gap - size.cx, y - size.cy / 2, kText));
    }
    const win::UniqueBrush frameBrush(::CreateSolidBrush(kFrame));
    ::FrameRect(dc, &plot, frameBrush.get());

    // The time axis: ten minutes ago on the left, now on the right.
    const std::wstring start = win::Widen(texts::kGraphSpanStart), end = win::Widen(texts::kGraphSpanEnd);
    const int axisY = plot.bottom + gap / 2;
    drawn_.labels.push_back(TextAt(dc, start, plot.left, axisY, kText));
    drawn_.labels.push_back(TextAt(dc, end, plot.right - TextSize(dc, end).cx, axisY, kText));

    // The newest point at the right edge, a point a tick, the oldest kPoints - 1 ticks before.
    // While nothing moved there is no line: the picture stays as the points go by.
    const std::size_t n = Quiet(graph_) ? 0 : graph_.points.size();
    for (std::size_t i = 0; i < n; ++i) {
        const long long fromNewest = static_cast<long long>(n - 1 - i);
        const int x = plot.right - 1 -
                      static_cast<int>(fromNewest * (width - 1) / static_cast<long long>(SpeedHistory::kPoints - 1));
        drawn_.in.push_back(POINT{x, yOf(graph_.points[i].in)});
        drawn_.out.push_back(POINT{x, yOf(graph_.points[i].out)});
    }
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, plot.left + 1, plot.top + 1, plot.right - 1, plot.bottom - 1);
    for (const auto& [points, colour] : {std::pair{&drawn_.out, kSent}, std::pair{&drawn_.in, kReceived}}) {
        if (points->size() < 2) continue;
        const win::UniquePen pen(::CreatePen(PS_SOLID, dpi_.Px(kLineWidth), colour));
        win::SelectObjectScope selected(dc, pen.get());
        ::Polyline(dc, points->data(), static_cast<int>(points->size()));
    }
    ::RestoreDC(dc, saved);
}

LRESULT SpeedGraphWindow::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_KEYDOWN:
        if (wp == VK_ESCAPE) {
            Hide();
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        return 1;  // the paint covers it all
    case WM_PAINT: {
        win::PaintDc paint(Handle());
        const RECT client = win::ClientRect(Handle());
        // Drawn off the screen and copied at once, so that the lines do not flicker each second;
        // the bitmap is kept while the window keeps its size, and only the parts that changed
        // go to the screen.
        const SIZE size{std::max<LONG>(1, client.right), std::max<LONG>(1, client.bottom)};
        if (!memory_) memory_.reset(::CreateCompatibleDC(paint.get()));
        if (!bitmap_ || size.cx != bitmapSize_.cx || size.cy != bitmapSize_.cy) {
            bitmap_.reset(::CreateCompatibleBitmap(paint.get(), size.cx, size.cy));
            bitmapSize_ = size;
        }
        if (!memory_ || !bitmap_) {
            Paint(paint.get(), client);
            return 0;
        }
        win::SelectObjectScope selected(memory_.get(), bitmap_.get());
        Paint(memory_.get(), client);
        const RECT& r = paint.paint().rcPaint;
        ::BitBlt(paint.get(), r.left, r.top, r.right - r.left, r.bottom - r.top, memory_.get(), r.left, r.top, SRCCOPY);
        return 0;
    }
    case WM_SIZE:
        ::InvalidateRect(Handle(), nullptr, FALSE);
        break;
    case WM_EXITSIZEMOVE:
        KeepPlace();
        break;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lp);
        info->ptMinTrackSize = POINT{dpi_.Px(kLeastWidth), dpi_.Px(kLeastHeight)};
        return 0;
    }
    default:
        break;
    }
    return AppWindow::WindowProc(msg, wp, lp);
}

}  // namespace velkaro::ui
