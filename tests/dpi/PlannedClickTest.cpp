// A click's point goes in the receiving program's own units: the stand-in
// imaging application, aware of the display's scale or not, tells where it
// sees the cursor in its canvas, and the planned click carries that point.
// Where Windows lacks the calls that tell a window's own DPI (before Windows
// 10 1607), the point is converted by the older call that Wine has too.
#include "engine/PlannedClick.h"
#include "support/EventLogs.h"
#include "support/PointerInput.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

constexpr int kCanvasId = 500;

DpiQueries WithoutTheWindows10Calls() {
    DpiQueries queries = PlatformDpiQueries();
    queries.windowAwarenessContext = nullptr;
    queries.awarenessFromContext = nullptr;
    queries.dpiForWindow = nullptr;
    return queries;
}

struct ReceiverCase {
    const char* name;
    const char* awareness; // the stand-in's /dpi
    DpiQueries (*queries)();
};

// Named in the test list by its name, not its bytes.
void PrintTo(const ReceiverCase& receiver, std::ostream* out) {
    *out << receiver.name;
}

class PlannedClickInOwnUnits : public ::testing::TestWithParam<ReceiverCase> {
protected:
    TempDir m_folder;
};

TEST_P(PlannedClickInOwnUnits, IsThePointWhereTheReceiverSeesTheCursor) {
    const ReceiverCase receiver = GetParam();
    StandInImager imager(m_folder.Path(), std::string("Own units ") + receiver.name,
                         std::string("/pos:40,40 /size:400x300 /dpi:") + receiver.awareness);
    const HWND top = imager.Window();
    ASSERT_NE(nullptr, top);
    const HWND canvas = GetDlgItem(top, kCanvasId);
    RECT canvasRect = {}, topRect = {};
    GetWindowRect(canvas, &canvasRect);
    GetWindowRect(top, &topRect);
    const DpiQueries queries = receiver.queries();

    // Across the canvas, and outside the window (a stored point may lie there).
    const POINT places[] = {
        {canvasRect.left + 3, canvasRect.top + 2},
        {canvasRect.left + 101, canvasRect.top + 61},
        {canvasRect.right - 2, canvasRect.bottom - 3},
        {topRect.left - 17, topRect.top - 11},
    };
    for (const POINT place : places) {
        SCOPED_TRACE(std::to_string(place.x) + "," + std::to_string(place.y));
        MovePointerTo(place);
        const CursorView seen = imager.CursorAsItSeesIt(kCanvasId);
        ASSERT_TRUE(seen.told);
        POINT inTop = place;
        ScreenToClient(top, &inTop);

        const PlannedClick click = PlanClick(top, canvas, inTop, queries);
        EXPECT_EQ(place.x, click.cursor.x);
        EXPECT_EQ(place.y, click.cursor.y);
        EXPECT_NEAR(seen.point.x, click.own.x, 1);
        EXPECT_NEAR(seen.point.y, click.own.y, 1);
        EXPECT_EQ(MAKELPARAM(LOWORD(click.own.x), LOWORD(click.own.y)), click.lParam);
    }
}

INSTANTIATE_TEST_SUITE_P(
    StandIn, PlannedClickInOwnUnits,
    ::testing::Values(
        ReceiverCase{"Aware", "aware", [] { return PlatformDpiQueries(); }},
        ReceiverCase{"Unaware", "unaware", [] { return PlatformDpiQueries(); }},
        ReceiverCase{"AwareWithoutTheWindows10Calls", "aware", WithoutTheWindows10Calls},
        ReceiverCase{"UnawareWithoutTheWindows10Calls", "unaware", WithoutTheWindows10Calls}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
