// The window toolkit: class registration, the object behind a window, the message loop,
// rectangles and places on the screen, fonts with a stand-in face.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "win/Fonts.h"
#include "win/Geometry.h"
#include "win/Window.h"

namespace velkaro::win {
namespace {

class Probe : public Window {
public:
    using Window::Create;
    using Window::Destroy;
    std::vector<UINT> seen;
    std::string failure;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        seen.push_back(msg);
        if (msg == WM_USER + 1) throw std::runtime_error("handler failed");
        if (msg == WM_USER + 2) return 42;
        return Window::WindowProc(msg, wp, lp);
    }
    void MessageFailed(const std::exception& e) noexcept override { failure = e.what(); }
};

const WindowClass kProbeClass{L"VelkaroToolkitProbe"};

TEST(WindowTest, MessagesReachTheObjectFromCreationToDestruction) {
    Probe probe;
    probe.Create(kProbeClass, L"probe", WS_POPUP, 0, 0, 0, 10, 10, nullptr);
    HWND hwnd = probe.Handle();
    ASSERT_TRUE(::IsWindow(hwnd));
    ASSERT_FALSE(probe.seen.empty());
    EXPECT_EQ(probe.seen.front(), static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(::SendMessageW(hwnd, WM_USER + 2, 0, 0), 42);
    // An exception ends the message, not the program, and goes to MessageFailed.
    EXPECT_EQ(::SendMessageW(hwnd, WM_USER + 1, 0, 0), 0);
    EXPECT_EQ(probe.failure, "handler failed");

    // A second window of the class: registered once, both alive.
    Probe other;
    other.Create(kProbeClass, L"", WS_POPUP, 0, 0, 0, 10, 10, nullptr);
    const auto seenBefore = probe.seen.size();
    probe.Destroy();
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(probe.Handle(), nullptr);
    EXPECT_EQ(probe.seen.size(), seenBefore);  // WM_DESTROY and the rest went past the object
    // Destroyed from outside: the object lets go of the handle.
    ::DestroyWindow(other.Handle());
    EXPECT_EQ(other.Handle(), nullptr);
}

TEST(GeometryTest, CentringAndMovingInsideAnArea) {
    const RECT area{100, 50, 901, 650};  // 801 x 600
    EXPECT_EQ(CentredIn(area, 200, 100).x, 100 + 300);
    EXPECT_EQ(CentredIn(area, 200, 100).y, 50 + 250);
    EXPECT_EQ(CentredIn(area, 1001, 600).x, 100 - 100);  // wider: sticks out on both sides

    auto inside = [&](RECT r) { return MoveInside(r, area); };
    auto same = [](RECT a, RECT b) { return ::EqualRect(&a, &b) != FALSE; };
    EXPECT_TRUE(same(inside({200, 100, 300, 200}), {200, 100, 300, 200}));
    EXPECT_TRUE(same(inside({850, 620, 950, 720}), {801, 550, 901, 650}));  // past right and bottom
    EXPECT_TRUE(same(inside({0, 0, 100, 100}), {100, 50, 200, 150}));       // before left and top
    EXPECT_TRUE(same(inside({500, 0, 1500, 1000}), {100, 50, 1100, 1050})); // larger: left, top
}

std::wstring FaceOf(HFONT font) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    ::GetTextFaceW(dc, LF_FACESIZE, face);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return face;
}

// Liberation Serif and Sans come with the set-up of the test machine.
TEST(FontsTest, AFaceTheSystemLacksIsReplacedByTheOneAlike) {
    const UniqueFont sans = MakeFontOrAlike({L"Liberation Sans", -12}, L"Liberation Serif");
    EXPECT_EQ(FaceOf(sans.get()), L"Liberation Sans");
    const UniqueFont alike = MakeFontOrAlike({L"Velkaro No Such Face", -12, FW_BOLD}, L"Liberation Serif");
    EXPECT_EQ(FaceOf(alike.get()), L"Liberation Serif");
    LOGFONTW lf{};
    ASSERT_TRUE(::GetObjectW(alike.get(), sizeof lf, &lf));
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(lf.lfHeight, -12);
    // Neither face: the system's choice, still a font.
    EXPECT_TRUE(MakeFontOrAlike({L"Velkaro No Such Face", -12}, L"Velkaro Nor This").get());
}

}  // namespace
}  // namespace velkaro::win
