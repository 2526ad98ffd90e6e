#include "TargetPaths.h"


namespace {

bool IsChildWindow(HWND window) {
    return (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0;
}

HWND TopLevelOf(HWND window) {
    while (window && IsChildWindow(window))
        window = GetParent(window);
    return window;
}

// 1-based position among its parent's children; one past the last when the
// window is not found among them.
int SiblingPosition(HWND window) {
    int position = 1;
    for (HWND sibling = GetWindow(GetParent(window), GW_CHILD); sibling && sibling != window;
         sibling = GetWindow(sibling, GW_HWNDNEXT))
        ++position;
    return position;
}

} // namespace

HWND NthChild(HWND parent, int n) {
    if (!parent || n <= 0)
        return nullptr;
    HWND child = GetWindow(parent, GW_CHILD);
    for (int i = 1; child && i < n; ++i)
        child = GetWindow(child, GW_HWNDNEXT);
    return child;
}

std::string DescribeWindow(HWND target, bool withTitle) {
    // Without a window (none picked, or it has closed) there is no class or
    // size to take: the empty record reads as "no window chosen", whereas the
    // empty class and size of a failed lookup would make the broadcast record.
    std::string record;
    if (target == HWND_BROADCAST) {
        record = kBroadcastDescription;
    } else if (target && IsWindow(target)) {
        const HWND top = TopLevelOf(target);
        char className[250] = "";
        char title[512] = "";
        (void)GetClassNameA(top, className, sizeof className);
        if (withTitle)
            (void)GetWindowTextA(top, title, sizeof title);
        RECT client = {};
        (void)GetClientRect(top, &client);
        record = FormatWindowDescription(client.right, client.bottom, className, title);
    }
    return record;
}

std::string DescribeTargetPath(HWND topWindow, HWND control, const POINT* clickPoint) {
    std::string text;
    // A control that has closed has no place left to store.
    if (control && control != HWND_BROADCAST && !IsWindow(control))
        control = nullptr;
    if (control) {
        RECT area = {};
        (void)GetClientRect(control, &area);
        MapWindowPoints(control, topWindow, reinterpret_cast<POINT*>(&area), 2);
        POINT point = {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
        if (clickPoint) {
            point = *clickPoint;
            (void)ScreenToClient(topWindow, &point);
        }
        std::vector<int> indices;
        for (HWND ancestor = GetParent(control); ancestor && IsChildWindow(ancestor);
             ancestor = GetParent(ancestor))
            indices.insert(indices.begin(), SiblingPosition(ancestor));
        text = FormatTargetPath(indices, point.x, point.y);
    }
    return text;
}

FoundWindow FindWindowByDescription(const std::string& record) {
    const WindowDescription description = ParseWindowDescription(record);
    FoundWindow found;
    if (!description.present)
        return found;
    found.refWidth = description.refWidth;
    found.refHeight = description.refHeight;
    if (description.IsBroadcast()) {
        found.outcome = WindowSearch::Broadcast;
        found.window = HWND_BROADCAST;
        return found;
    }
    found.window = description.title.empty()
                       ? FindWindowA(description.className.c_str(), nullptr)
                       : FindWindowA(nullptr, description.title.c_str());
    found.outcome = found.window ? WindowSearch::Found : WindowSearch::NotFound;
    return found;
}

ResolvedTarget ResolvePath(HWND topWindow, const TargetPath& path, int refWidth, int refHeight) {
    ResolvedTarget resolved;
    if (!path.hasPoint)
        return resolved;
    RECT client = {};
    (void)GetClientRect(topWindow, &client);
    const int currentWidth = client.right - client.left;
    const int currentHeight = client.bottom - client.top;

    HWND parent = topWindow;
    for (int index : path.indices)
        parent = NthChild(parent, index);
    if (!parent)
        return resolved;

    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT area = {};
        (void)GetWindowRect(child, &area);
        MapWindowPoints(nullptr, topWindow, reinterpret_cast<POINT*>(&area), 2);
        // MulDiv rounds to nearest and gives -1 for a zero reference size.
        resolved.point = {MulDiv(path.x, currentWidth, refWidth),
                          MulDiv(path.y, currentHeight, refHeight)};
        // The last child that qualifies wins: the lowest in the Z order.
        if (PtInRect(&area, resolved.point) && IsWindowVisible(child))
            resolved.control = child;
    }
    return resolved;
}

