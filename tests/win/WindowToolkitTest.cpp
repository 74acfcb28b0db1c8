// The window toolkit: the object behind a window, fonts with a stand-in face, units and
// pixels of a DPI.
// (Places on the screen and the message loop: the window tests of the forms.)
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "win/Dpi.h"
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

// Units and pixels at 100 to 250 %: the pixels of units never go back nor stand still, so
// cells that follow each other in units do so in pixels; a pixel falls into the unit whose
// pixel is at or before it (a click on a block's first row picks that block); a width in units
// covers the pixels it was measured from. At 96 DPI a unit is a pixel.
TEST(DpiTest, UnitsAndPixelsRoundTripWithoutGapsOrOverlaps) {
    for (const int value : {96, 120, 144, 168, 192, 240}) {
        SCOPED_TRACE(value);
        const Dpi dpi(value);
        for (int u = -100; u < 3000; ++u) {
            ASSERT_LT(dpi.Px(u), dpi.Px(u + 1)) << u;
            ASSERT_EQ(dpi.Units(dpi.Px(u)), u) << u;
            if (value == kUnitDpi) {
                ASSERT_EQ(dpi.Px(u), u);
            }
        }
        for (int px = -150; px < 7500; ++px) {
            const int unit = dpi.Units(px);
            ASSERT_LE(dpi.Px(unit), px) << px;
            ASSERT_GT(dpi.Px(unit + 1), px) << px;
            const int covering = dpi.UnitsCovering(px);
            ASSERT_GE(dpi.Px(covering), px) << px;
            ASSERT_LT(dpi.Px(covering - 1), px) << px;
        }
    }
}

}  // namespace
}  // namespace velkaro::win
