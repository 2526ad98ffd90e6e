#include "PlannedClick.h"

#include "common/DisplayScale.h"

#include <type_traits>

const DpiQueries& PlatformDpiQueries() {
    static const DpiQueries queries = [] {
        // user32 is loaded already (Snap links it): no library search.
        HMODULE user32 = GetModuleHandleA("user32.dll");
        auto find = [user32](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
                reinterpret_cast<void*>(GetProcAddress(user32, name)));
        };
        DpiQueries found;
        find(found.windowAwarenessContext, "GetWindowDpiAwarenessContext");
        find(found.awarenessFromContext, "GetAwarenessFromDpiAwarenessContext");
        find(found.dpiForWindow, "GetDpiForWindow");
        find(found.physicalToLogicalPerMonitor, "PhysicalToLogicalPointForPerMonitorDPI");
        find(found.physicalToLogical, "PhysicalToLogicalPoint");
        return found;
    }();
    return queries;
}

namespace {

// How many of the window's own units make how many physical pixels; one to
// one when they are the same, or when the platform cannot tell.
struct UnitRatio {
    int own = 1;
    int physical = 1;
};

// Before Windows 10 1607 a whole process has one awareness, and only the
// platform's conversion of screen points tells its units. It converts points
// of the window only, and the click point may lie outside: the scale comes
// from the corners of the top-level window, the largest span there is.
UnitRatio RatioByConversion(HWND window, BOOL(WINAPI* convert)(HWND, POINT*)) {
    const HWND root = GetAncestor(window, GA_ROOT);
    RECT rect = {};
    if (!root || !GetWindowRect(root, &rect))
        return {};
    POINT first = {rect.left, rect.top};
    POINT last = {rect.right - 1, rect.bottom - 1};
    const bool wide = last.x - first.x >= last.y - first.y;
    const int physical = wide ? last.x - first.x : last.y - first.y;
    if (physical <= 0 || !convert(root, &first) || !convert(root, &last))
        return {};
    const int own = wide ? last.x - first.x : last.y - first.y;
    return own > 0 ? UnitRatio{own, physical} : UnitRatio{};
}

UnitRatio OwnUnitsOf(HWND window, const DpiQueries& dpi) {
    if (dpi.windowAwarenessContext && dpi.awarenessFromContext && dpi.dpiForWindow) {
        switch (dpi.awarenessFromContext(dpi.windowAwarenessContext(window))) {
        case DPI_AWARENESS_PER_MONITOR_AWARE:
            return {};
        case DPI_AWARENESS_UNAWARE:
        case DPI_AWARENESS_SYSTEM_AWARE: {
            // The system stretches such a window from its own DPI (96, or
            // the system's when it started) to its monitor's.
            const UINT own = dpi.dpiForWindow(window);
            const UINT shown = DpiOfMonitorUnder(window);
            if (own == 0 || shown == 0)
                return {};
            return {static_cast<int>(own), static_cast<int>(shown)};
        }
        default:
            break; // not told: as on older Windows
        }
    }
    if (dpi.physicalToLogicalPerMonitor)
        return RatioByConversion(window, dpi.physicalToLogicalPerMonitor);
    if (dpi.physicalToLogical)
        return RatioByConversion(window, dpi.physicalToLogical);
    return {};
}

} // namespace

PlannedClick PlanClick(HWND top, HWND target, POINT point, const DpiQueries& dpi) {
    PlannedClick click;
    click.cursor = point;
    (void)ClientToScreen(top, &click.cursor);
    // Snap is per-monitor aware: what it maps is in physical pixels.
    click.physical = click.cursor;
    (void)ScreenToClient(target, &click.physical);
    const UnitRatio ratio = OwnUnitsOf(target, dpi);
    click.own = {MulDiv(click.physical.x, ratio.own, ratio.physical),
                 MulDiv(click.physical.y, ratio.own, ratio.physical)};
    click.lParam = MAKELPARAM(LOWORD(click.own.x), LOWORD(click.own.y));
    return click;
}
