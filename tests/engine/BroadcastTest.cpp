// A step aimed at "Broadcast" reaches every other program's top-level windows
// as the platform's own broadcast reaches them, and none of Snap's: the test
// process plays Snap, a listener program the others.
#include "engine/ActionExecution.h"
#include "support/ChildProcess.h"
#include "support/EventLogs.h"
#include "support/SnapInstall.h"
#include "support/TestFiles.h"
#include "targeting/TargetRecords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr DWORD kGenerousMs = 30000;
// Who posted a message is told by its wParam.
constexpr WPARAM kPlatformTag = 0x5A5A0001;
constexpr WPARAM kSnapTag = 0x5A5A0002;
constexpr UINT kMarker = WM_APP + 0x77; // posted by the test last

// One line of the listener's record.
struct Heard {
    std::string window;
    UINT message;
    WPARAM wParam;
};

std::vector<Heard> ReadListenerLog(const std::string& path) {
    std::vector<Heard> heard;
    std::istringstream text(ReadTextFile(path));
    for (std::string line; std::getline(text, line);) {
        if (line.empty() || line.back() != '\r')
            continue; // still being written
        std::istringstream fields(line);
        Heard entry;
        std::string message, wParam;
        if (std::getline(fields, entry.window, '\t') && std::getline(fields, message, '\t') &&
            std::getline(fields, wParam, '\r')) {
            entry.message = static_cast<UINT>(std::stoul(message, nullptr, 16));
            entry.wParam = static_cast<WPARAM>(std::stoull(wParam, nullptr, 16));
            heard.push_back(entry);
        }
    }
    return heard;
}

// What the test process's own windows were posted.
std::vector<Heard>& OwnHeard() {
    static std::vector<Heard> heard;
    return heard;
}

LRESULT CALLBACK OwnWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (wParam == kSnapTag || wParam == kPlatformTag)
        OwnHeard().push_back({std::to_string(reinterpret_cast<UINT_PTR>(window)), message, wParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

struct BroadcastCase {
    const char* name;
    UINT message;             // 0: a registered message of the test's own
    bool reachesOtherWindows; // as the platform broadcasts it
};
void PrintTo(const BroadcastCase& c, std::ostream* out) {
    *out << c.name;
}

class BroadcastStep : public ::testing::TestWithParam<BroadcastCase> {
protected:
    void SetUp() override {
        OwnHeard().clear();
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = OwnWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "SnapTestOwnWindow";
        RegisterClassA(&windowClass);
        // Snap's own windows: its floating button (shown), its main window
        // while in the tray (hidden), a message-only one.
        for (HWND parent : {HWND(nullptr), HWND(nullptr), HWND_MESSAGE}) {
            const DWORD style = m_own.empty() ? WS_OVERLAPPEDWINDOW | WS_VISIBLE : WS_POPUP;
            m_own.push_back(CreateWindowExA(0, "SnapTestOwnWindow", "Own", style, 0, 0, 100, 60,
                                            parent, nullptr, GetModuleHandleA(nullptr), nullptr));
            ASSERT_NE(nullptr, m_own.back());
        }
        const std::string title = UniqueName("Broadcast Listener ");
        m_listener = std::make_unique<ChildProcess>(BuiltBroadcastListener(), m_folder.Path(),
                                                    "\"" + Log() + "\" \"" + title + "\"");
        m_listenerWindow = m_listener->WaitForWindow(title.c_str(), kGenerousMs);
        ASSERT_NE(nullptr, m_listenerWindow);
    }
    void TearDown() override {
        for (HWND window : m_own)
            DestroyWindow(window);
        if (m_listenerWindow)
            PostMessageA(m_listenerWindow, WM_CLOSE, 0, 0);
        m_listener->WaitForExit(kGenerousMs);
    }

    std::string Log() const { return m_folder / "listener.log"; }

    // The listener's windows that got `message` with `tag`, once everything
    // posted before now has been handled: its windows share one queue, so
    // what was posted earlier is recorded before a marker posted now.
    std::set<std::string> ListenersReached(UINT message, WPARAM tag) {
        const WPARAM marker = ++m_markers;
        EXPECT_TRUE(PostMessageA(m_listenerWindow, kMarker, marker, 0));
        const std::vector<Heard> heard = WaitForRecords<Heard>(
            Log(), [this] { return ReadListenerLog(Log()); },
            [marker](const std::vector<Heard>& h) {
                return std::any_of(h.begin(), h.end(), [marker](const Heard& e) {
                    return e.message == kMarker && e.wParam == marker;
                });
            });
        std::set<std::string> windows;
        for (const Heard& entry : heard)
            if (entry.message == message && entry.wParam == tag)
                windows.insert(entry.window);
        return windows;
    }
    // How many of the test's own windows were posted a message with `tag`.
    static size_t OwnReached(WPARAM tag) {
        MSG pending;
        while (PeekMessageA(&pending, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&pending);
        return static_cast<size_t>(
            std::count_if(OwnHeard().begin(), OwnHeard().end(),
                          [tag](const Heard& e) { return e.wParam == tag; }));
    }

    TempDir m_folder;
    std::vector<HWND> m_own;
    std::unique_ptr<ChildProcess> m_listener;
    HWND m_listenerWindow = nullptr;
    WPARAM m_markers = 0;
};

TEST_P(BroadcastStep, ReachesWhatThePlatformsBroadcastReachesInOtherProgramsOnly) {
    const UINT message =
        GetParam().message ? GetParam().message : RegisterWindowMessageA("SnapTest.Broadcast");
    const bool platformPosted = PostMessageA(HWND_BROADCAST, message, kPlatformTag, 0) != FALSE;
    const DWORD platformError = platformPosted ? 0 : GetLastError();
    const std::set<std::string> platformReached = ListenersReached(message, kPlatformTag);

    ActionStep step;
    step.type = static_cast<int>(ActionType::SendCustomMessage);
    step.message = static_cast<int>(message);
    step.wParam = static_cast<int>(kSnapTag);
    step.windowDescription = kBroadcastDescription;
    const StepOutcome outcome = PerformAction(step, 0);
    const std::set<std::string> snapReached = ListenersReached(message, kSnapTag);

    EXPECT_EQ(platformReached, snapReached);
    EXPECT_EQ(0u, OwnReached(kSnapTag)) << "Snap's own windows were posted the broadcast";
    if (GetParam().reachesOtherWindows) {
        // Hidden windows too, as the platform's broadcast; message-only
        // windows are no top-level windows and are left out.
        EXPECT_EQ(1u, snapReached.count("shown"));
        EXPECT_EQ(1u, snapReached.count("hidden"));
        EXPECT_EQ(0u, snapReached.count("message-only"));
    } else {
        EXPECT_TRUE(snapReached.empty());
    }
    // The step reports as the platform's post did, and still as a broadcast.
    EXPECT_EQ(platformPosted ? StepResult::Performed : StepResult::PostRefused, outcome.result);
    EXPECT_EQ(platformError, outcome.error);
    EXPECT_EQ(HWND_BROADCAST, outcome.target);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, BroadcastStep,
    ::testing::Values(BroadcastCase{"Command", WM_COMMAND, true},
                      BroadcastCase{"JoystickButton", MM_JOY1BUTTONDOWN, true},
                      BroadcastCase{"Registered", 0, true},
                      // A program's private numbers mean something else to each program:
                      // the platform broadcasts none of them.
                      BroadcastCase{"PrivateOfTheWindowClass", WM_USER + 0x10, false},
                      BroadcastCase{"PrivateOfTheApplication", WM_APP + 0x10, false},
                      // A message that carries a pointer can only be sent: refused.
                      BroadcastCase{"CarriesAPointer", WM_SETTEXT, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
