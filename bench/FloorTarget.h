// The least a program does to find a step's control again, as the floor
// program does it on every press and BenchDriver times it: the top-level
// window by its class, the stored sibling positions down to the control's
// parent, then the last visible child under the stored point, scaled from the
// reference client size to the current one. The records are Snap's plain
// texts ("800;600;<class>" and "<index>;...;<x>;<y>"), parsed once, up front.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

struct CFloorTarget {
    std::string className;
    int refWidth = 0;
    int refHeight = 0;
    std::vector<int> indices; // 1-based sibling positions, outermost first
    POINT point = {0, 0};     // in the top-level window's client area, at the reference size
};

// Splits "a;b;c" at ';'.
inline std::vector<std::string> FloorFields(const char* text) {
    std::vector<std::string> fields(1);
    for (const char* c = text; *c; ++c) {
        if (*c == ';')
            fields.emplace_back();
        else
            fields.back() += *c;
    }
    return fields;
}

// window: "<ref width>;<ref height>;<class>"; path: "[<index>;]...<x>;<y>".
inline bool ParseFloorTarget(const char* window, const char* path, CFloorTarget& target) {
    const std::vector<std::string> w = FloorFields(window);
    const std::vector<std::string> p = FloorFields(path);
    if (w.size() != 3 || w[2].empty() || p.size() < 2)
        return false;
    target.refWidth = std::atoi(w[0].c_str());
    target.refHeight = std::atoi(w[1].c_str());
    target.className = w[2];
    target.indices.clear();
    for (size_t i = 0; i + 2 < p.size(); ++i)
        target.indices.push_back(std::atoi(p[i].c_str()));
    target.point = {std::atoi(p[p.size() - 2].c_str()), std::atoi(p.back().c_str())};
    return true;
}

// The control, or the top-level window itself when the path leads to none;
// null when no window of the class runs.
inline HWND FindFloorControl(const CFloorTarget& target) {
    HWND top = FindWindowA(target.className.c_str(), nullptr);
    if (!top)
        return nullptr;
    HWND parent = top;
    for (int index : target.indices) {
        HWND child = GetWindow(parent, GW_CHILD);
        for (int n = 1; child && n < index; ++n)
            child = GetWindow(child, GW_HWNDNEXT);
        if (!child || index < 1)
            return top;
        parent = child;
    }
    RECT client = {};
    GetClientRect(top, &client);
    const POINT point = {MulDiv(target.point.x, client.right, target.refWidth),
                         MulDiv(target.point.y, client.bottom, target.refHeight)};
    HWND control = nullptr;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT area = {};
        GetWindowRect(child, &area);
        MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&area), 2);
        if (PtInRect(&area, point) && IsWindowVisible(child))
            control = child; // the last one wins, as Snap's search decides
    }
    return control ? control : top;
}

// The button click Snap posts for a step of that kind: WM_COMMAND with the
// control's id and BN_CLICKED, lParam 0, to the control's parent.
inline bool PostFloorClick(HWND control) {
    HWND parent = GetParent(control);
    const WPARAM wParam = MAKEWPARAM(LOWORD(GetDlgCtrlID(control)), BN_CLICKED);
    return PostMessageA(parent ? parent : control, WM_COMMAND, wParam, 0) != FALSE;
}
