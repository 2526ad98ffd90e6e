// Where a window's scale comes from on each kind of platform. Wine has every
// lookup and one scale for all monitors: stand-ins take the place of the
// export a platform lacks and of a monitor whose scale is not the system's.
// Runs at 96 and at 144 DPI, like the rest of this executable.
#include "common/DisplayScale.h"
#include "support/DpiLookupsInUse.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr UINT kWindowsOwnDpi = 120; // what GetDpiForWindow tells
constexpr UINT kMonitorDpi = 168;    // the window's monitor, at 175 %
constexpr int kEffectiveDpi = 0;     // MDT_EFFECTIVE_DPI

HMONITOR g_monitorOfTheWindow = nullptr;

UINT WINAPI StandInDpiForWindow(HWND) {
    return kWindowsOwnDpi;
}

// Answers for the window's own monitor only, and only its effective scale.
HRESULT WINAPI StandInDpiForMonitor(HMONITOR monitor, int type, UINT* dpiX, UINT* dpiY) {
    if (monitor != g_monitorOfTheWindow || type != kEffectiveDpi)
        return E_INVALIDARG;
    *dpiX = kMonitorDpi;
    *dpiY = kMonitorDpi;
    return S_OK;
}

UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

enum class Source { WindowsOwn, Monitors, Systems };

struct PlatformCase {
    const char* name;
    bool hasGetDpiForWindow;
    bool hasGetDpiForMonitor;
    Source expected;
};

class ScaleOfAWindow : public ::testing::Test {
protected:
    void SetUp() override {
        m_window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 100, 100, 50, 50, nullptr, nullptr,
                                   nullptr, nullptr);
        ASSERT_NE(nullptr, m_window);
        g_monitorOfTheWindow = MonitorFromWindow(m_window, MONITOR_DEFAULTTONEAREST);
    }
    void TearDown() override { DestroyWindow(m_window); }

    HWND m_window = nullptr;
};

class DpiOfWindowOn : public ScaleOfAWindow, public ::testing::WithParamInterface<PlatformCase> {};

TEST_P(DpiOfWindowOn, IsTheBestThePlatformCanTell) {
    const PlatformCase platform = GetParam();
    const CDpiLookupsInUse inUse({platform.hasGetDpiForWindow ? StandInDpiForWindow : nullptr,
                                  platform.hasGetDpiForMonitor ? StandInDpiForMonitor : nullptr});
    const UINT expected = platform.expected == Source::WindowsOwn ? kWindowsOwnDpi
                          : platform.expected == Source::Monitors ? kMonitorDpi
                                                                  : SystemDpi();
    EXPECT_EQ(expected, DpiOfWindow(m_window));
}

INSTANTIATE_TEST_SUITE_P(
    Platform, DpiOfWindowOn,
    ::testing::Values(PlatformCase{"Windows10From1607", true, true, Source::WindowsOwn},
                      // Per-monitor aware, a window is drawn at its monitor's scale.
                      PlatformCase{"Windows81To10Of1511", false, true, Source::Monitors},
                      PlatformCase{"Windows7And8", false, false, Source::Systems}),
    [](const auto& info) { return std::string(info.param.name); });

// Without GetDpiForWindow, the real shcore is asked about the window's
// monitor: under Wine its answer is the session's scale.
using DpiOfWindowWithoutGetDpiForWindow = ScaleOfAWindow;

TEST_F(DpiOfWindowWithoutGetDpiForWindow, IsWhatTheSystemsShcoreTellsOfItsMonitor) {
    DpiLookups lookups = PlatformDpiLookups();
    ASSERT_NE(nullptr, lookups.getDpiForMonitor);
    lookups.getDpiForWindow = nullptr;
    const CDpiLookupsInUse inUse(lookups);
    EXPECT_EQ(SystemDpi(), DpiOfWindow(m_window));
}

} // namespace
