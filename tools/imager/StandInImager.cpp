// StandInImager: a small imaging application that stands in for the external
// one Snap drives. It has what such a program has (capture, live and freeze
// buttons, nested tool panels, a live image canvas) and records every message
// that could come from Snap, so the tests, the demo and the benchmark can see
// what arrived, where, and when.
//
// Command line (any order, all optional, unknown switches ignored):
//   /log:<path>      append the record to this file (default StandInImager.log
//                    in the current folder)
//   /size:<W>x<H>    initial client area size (default 800x600)
//   /pos:<X>,<Y>     initial window position (default 100,100)
//   /title:<text>    window title (default "Imaging Station")
//   /dpi:aware       run per-monitor DPI aware, as a modern program does: the
//                    /size is taken as 100 % and grown to the display scale,
//                    and a move to a monitor of another scale (WM_DPICHANGED)
//                    takes the suggested rectangle
//   /dpi:unaware     run DPI unaware, as an old program does: the system
//                    scales its window, and an aware caller sees its sizes
//                    in physical pixels (Wine 8 maps them too)
//                    Without /dpi the program is what its platform makes of a
//                    program without a manifest (unaware on Windows; aware
//                    under Wine 8).
//   /layout:<N>      the window tree of another version of the application
//                    (default 1, the tree below). 2: in the inner panel 210,
//                    "Delete" 214 first, where "Capture" stood, then "Freeze",
//                    "Live", and "Capture" 211 moved to 10,130. 3: as 2
//                    without "Capture". 4: as 2, plus a second "Capture" 211
//                    in panel 200 at 10,90, after panel 210.
//
// Window tree, in creation order (= GetWindow GW_CHILD / GW_HWNDNEXT order).
// Rectangles are x, y, width, height in an 800x600 reference client area and
// are scaled to the real client size at every WM_SIZE, so a control stays at
// the same relative point whatever the window size:
//   main  class "KelvraImagerStandIn"
//     BUTTON "Capture"      101   20, 20,120x30
//     BUTTON "Live"         102   20, 60,120x30
//     BUTTON "Freeze"       103   20,100,120x30
//     ImagerPanel           200  200, 20,360x260
//       BUTTON "Capture"    201   10, 10,100x30   (panel coordinates)
//       BUTTON "Live"       202   10, 50,100x30
//       ImagerPanel         210  120, 10,230x240
//         BUTTON "Capture"  211   10, 10,100x30
//         BUTTON "Live"     212   10, 50,100x30
//         BUTTON "Freeze"   213   10, 90,100x30
//     STATIC "Hidden"       400   20,300,120x30   (never shown)
//     BUTTON "Acquisition"  300   20,400,160x120  (BS_GROUPBOX, around 104)
//     BUTTON "Snapshot"     104   30,420,100x30   (inside the group box)
//     ImagerCanvas          500  200,300,560x260
//
// The record: one line per event, appended and flushed at once (the file is
// opened and closed for every line, so nothing is lost if the process dies):
//   <time_ms>\t<receiver>\t<event>\t<wParam>\t<lParam>\r\n
//   time_ms   performance counter in milliseconds, "%.3f" (the clock the
//             stand-in camera library uses, so times compare across processes)
//   receiver  "main" for the top-level window, else "<class>:<id>":
//             "panel:200", "panel:210", "canvas:500", "button:101", ...
//   event     the message number as "0x%04X", or "start", "size", "hang" or
//             "cursor"
//   wParam    "0x%08llX" of the low 32 bits; for "start" the full command
//             line; for "size" the client width in decimal; for "cursor" the
//             point as "<x>,<y>" in decimal
//   lParam    "0x%08llX" of the low 32 bits; "-" for "start"; for "size" the
//             client height in decimal; for "cursor" the receiver's client
//             size as "<width>x<height>" in decimal
// Recorded messages:
//   main, panels  WM_COMMAND, WM_USER..0x7FFF, MM_JOY1/2BUTTONDOWN/UP,
//                 WM_LBUTTONDOWN/UP/DBLCLK
//   canvas        WM_LBUTTONDOWN/UP/DBLCLK, WM_RBUTTONDOWN/UP,
//                 WM_USER..0x7FFF, MM_JOY1/2BUTTONDOWN/UP
//   buttons       WM_LBUTTONDOWN/UP (lParam holds the point), then the button
//                 handles them as usual
// A command posted to a panel stays there: panels forward nothing.
//
// Control messages to the main window (never recorded themselves):
//   WM_APP+0x100 (0x8100)  resize: lParam = MAKELPARAM(clientW, clientH); the
//                          window keeps its position, its client area takes
//                          that size, and a "size" line follows
//   WM_APP+0x101 (0x8101)  close: the window is destroyed, exit code 0
//   WM_APP+0x102 (0x8102)  hang: a "hang" line is recorded, then the program
//                          stops processing messages for wParam ms (0: until
//                          it is ended), as a program stuck in a long job does
//   WM_APP+0x103 (0x8103)  where is the cursor: a "cursor" line for the
//                          window whose id is wParam (0: the main window)
//                          with the cursor's position in that window's client
//                          area and the client area's size, both in this
//                          program's own units (what it sees at its DPI
//                          awareness, not what an aware caller sees)
//   WM_CLOSE works as usual. (WM_APP+1 is left alone: Snap uses it.)
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kMainClass = "KelvraImagerStandIn";
constexpr const char* kPanelClass = "ImagerPanel";
constexpr const char* kCanvasClass = "ImagerCanvas";

constexpr UINT kMsgResize = WM_APP + 0x100;
constexpr UINT kMsgClose = WM_APP + 0x101;
constexpr UINT kMsgHang = WM_APP + 0x102;
constexpr UINT kMsgWhereIsTheCursor = WM_APP + 0x103;

// The layout is drawn for this client size and scaled from it.
constexpr int kRefWidth = 800;
constexpr int kRefHeight = 600;
// The status line takes the bottom of the reference client area.
constexpr int kRefStatusTop = 570;

// ---------------------------------------------------------------------------
// The window tree

enum class Role { None, Capture, Live, Freeze };

struct ControlDef {
    int parentId; // 0: the main window
    int id;
    const char* className;
    const char* text;
    DWORD style; // besides WS_CHILD | WS_CLIPSIBLINGS
    int x, y, width, height; // reference layout, in the parent's client area
    Role role;
};

constexpr DWORD kPush = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kPanel = WS_VISIBLE | WS_CLIPCHILDREN;

// Creation order is the sibling order the tests walk: keep it.
constexpr ControlDef kControls[] = {
    {0, 101, "BUTTON", "Capture", kPush, 20, 20, 120, 30, Role::Capture},
    {0, 102, "BUTTON", "Live", kPush, 20, 60, 120, 30, Role::Live},
    {0, 103, "BUTTON", "Freeze", kPush, 20, 100, 120, 30, Role::Freeze},
    {0, 200, kPanelClass, "", kPanel, 200, 20, 360, 260, Role::None},
    {200, 201, "BUTTON", "Capture", kPush, 10, 10, 100, 30, Role::Capture},
    {200, 202, "BUTTON", "Live", kPush, 10, 50, 100, 30, Role::Live},
    {200, 210, kPanelClass, "", kPanel, 120, 10, 230, 240, Role::None},
    {210, 211, "BUTTON", "Capture", kPush, 10, 10, 100, 30, Role::Capture},
    {210, 212, "BUTTON", "Live", kPush, 10, 50, 100, 30, Role::Live},
    {210, 213, "BUTTON", "Freeze", kPush, 10, 90, 100, 30, Role::Freeze},
    {0, 400, "STATIC", "Hidden", SS_LEFT, 20, 300, 120, 30, Role::None},
    // The group box comes first, as in a dialog resource: the point finds it
    // before the button that lies inside it.
    {0, 300, "BUTTON", "Acquisition", WS_VISIBLE | BS_GROUPBOX, 20, 400, 160, 120, Role::None},
    {0, 104, "BUTTON", "Snapshot", kPush, 30, 420, 100, 30, Role::Capture},
    {0, 500, kCanvasClass, "", WS_VISIBLE, 200, 300, 560, 260, Role::None},
};

// The inner panel after an update of the application (/layout:2): "Delete"
// first, where "Capture" stood, the other buttons in another order, and
// "Capture" moved to the bottom.
constexpr ControlDef kUpdatedInnerPanel[] = {
    {210, 214, "BUTTON", "Delete", kPush, 10, 10, 100, 30, Role::None},
    {210, 213, "BUTTON", "Freeze", kPush, 10, 50, 100, 30, Role::Freeze},
    {210, 212, "BUTTON", "Live", kPush, 10, 90, 100, 30, Role::Live},
    {210, 211, "BUTTON", "Capture", kPush, 10, 130, 100, 30, Role::Capture},
};
// A second control of the inner "Capture"'s class, id and text (/layout:4).
constexpr ControlDef kSecondCapture = {200, 211, "BUTTON", "Capture", kPush, 10, 90, 100, 30,
                                       Role::Capture};
constexpr int kLayoutCount = 4;

// The window tree of layout `version` (1 to kLayoutCount).
std::vector<ControlDef> LayoutOf(int version) {
    std::vector<ControlDef> controls(std::begin(kControls), std::end(kControls));
    if (version == 1)
        return controls;
    const auto inner = [](const ControlDef& c) { return c.parentId == 210; };
    const auto first = std::find_if(controls.begin(), controls.end(), inner);
    const auto end = std::find_if_not(first, controls.end(), inner);
    std::vector<ControlDef> updated(std::begin(kUpdatedInnerPanel), std::end(kUpdatedInnerPanel));
    if (version == 3)
        updated.pop_back(); // no "Capture" at all
    if (version == 4)
        updated.push_back(kSecondCapture); // after panel 210 among 200's children
    const auto at = controls.erase(first, end);
    controls.insert(at, updated.begin(), updated.end());
    return controls;
}

// ---------------------------------------------------------------------------
// Program state: one main window per process.

struct Options {
    std::string logPath = "StandInImager.log";
    int clientWidth = kRefWidth;
    int clientHeight = kRefHeight;
    int x = 100;
    int y = 100;
    std::string title = "Imaging Station";
    std::string dpi; // "aware", "unaware" or empty
    int layout = 1;  // 1 to kLayoutCount
};

struct CanvasState {
    bool frozen = false;
    int captures = 0;
    bool hasMark = false;
    bool markRight = false; // the last click was the right button
    POINT mark = {0, 0};
};

Options g_options;
HWND g_main = nullptr;
std::vector<ControlDef> g_layout;
std::vector<HWND> g_controls;
HFONT g_font = nullptr;
CanvasState g_canvas;
std::string g_status = "Ready";
unsigned g_recorded = 0;
SIZE g_lastLoggedSize = {-1, -1};
unsigned g_sizeLines = 0;

// ---------------------------------------------------------------------------
// The record

double NowMs() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::string Hex32(ULONG_PTR value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%08llX", static_cast<unsigned long long>(value & 0xFFFFFFFFu));
    return text;
}

// Tabs and line breaks would split a field or a line.
std::string OneField(std::string text) {
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return text;
}

void AppendLine(const std::string& line) {
    // FILE_APPEND_DATA keeps lines whole even when two instances share a file.
    // A reader holding the file without write sharing gets a few short retries,
    // never a wait that could stall the message loop.
    for (int attempt = 0; attempt < 5; ++attempt) {
        HANDLE file = CreateFileA(g_options.logPath.c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            CloseHandle(file);
            return;
        }
        if (GetLastError() != ERROR_SHARING_VIOLATION)
            return;
        Sleep(1);
    }
}

RECT StatusRect(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    client.top = MulDiv(kRefStatusTop, client.bottom, kRefHeight);
    return client;
}

void ShowStatus(const std::string& text) {
    g_status = text;
    if (g_main) {
        const RECT status = StatusRect(g_main);
        InvalidateRect(g_main, &status, FALSE);
    }
}

void Record(const std::string& receiver, const std::string& event, const std::string& wParam,
            const std::string& lParam) {
    char time[32];
    std::snprintf(time, sizeof time, "%.3f", NowMs());
    AppendLine(std::string(time) + '\t' + receiver + '\t' + event + '\t' + wParam + '\t' + lParam + "\r\n");
    ++g_recorded;
    ShowStatus("Last: " + receiver + "   " + event + "   " + wParam.substr(0, 60) + "   " + lParam + "   (" +
               std::to_string(g_recorded) + " recorded)");
}

std::string ReceiverName(HWND window) {
    if (window == g_main)
        return "main";
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    std::string kind = className;
    if (lstrcmpiA(className, kPanelClass) == 0)
        kind = "panel";
    else if (lstrcmpiA(className, kCanvasClass) == 0)
        kind = "canvas";
    else
        CharLowerA(&kind[0]);
    return kind + ':' + std::to_string(GetDlgCtrlID(window));
}

void RecordMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    char event[16];
    std::snprintf(event, sizeof event, "0x%04X", message);
    Record(ReceiverName(window), event, Hex32(wParam), Hex32(static_cast<ULONG_PTR>(lParam)));
}

// This program's own view of the cursor in one of its windows.
void RecordCursor(int id) {
    HWND window = g_main;
    for (size_t i = 0; i < g_controls.size() && id != 0; ++i)
        if (g_layout[i].id == id)
            window = g_controls[i];
    POINT cursor = {};
    GetCursorPos(&cursor);
    ScreenToClient(window, &cursor);
    RECT client = {};
    GetClientRect(window, &client);
    Record(ReceiverName(window), "cursor",
           std::to_string(cursor.x) + ',' + std::to_string(cursor.y),
           std::to_string(client.right) + 'x' + std::to_string(client.bottom));
}

void RecordSize(int width, int height) {
    g_lastLoggedSize = {width, height};
    ++g_sizeLines;
    Record("main", "size", std::to_string(width), std::to_string(height));
}

// What another program may send to tell this one to act.
bool IsCustom(UINT message) { return message >= WM_USER && message <= 0x7FFF; }

bool IsJoystickButton(UINT message) {
    return message == MM_JOY1BUTTONDOWN || message == MM_JOY2BUTTONDOWN || message == MM_JOY1BUTTONUP ||
           message == MM_JOY2BUTTONUP;
}

bool IsLeftClick(UINT message) {
    return message == WM_LBUTTONDOWN || message == WM_LBUTTONUP || message == WM_LBUTTONDBLCLK;
}

bool IsRightClick(UINT message) { return message == WM_RBUTTONDOWN || message == WM_RBUTTONUP; }

// The main window and the panels record the same things.
bool ContainerRecords(UINT message) {
    return message == WM_COMMAND || IsCustom(message) || IsJoystickButton(message) || IsLeftClick(message);
}

bool CanvasRecords(UINT message) {
    return IsLeftClick(message) || IsRightClick(message) || IsCustom(message) || IsJoystickButton(message);
}

// ---------------------------------------------------------------------------
// Command line

bool TakeSwitch(const char* argument, const char* name, std::string& value) {
    if (argument[0] != '/' && argument[0] != '-')
        return false;
    const size_t length = std::strlen(name);
    if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, argument + 1, static_cast<int>(length), name,
                       static_cast<int>(length)) != CSTR_EQUAL ||
        argument[1 + length] != ':')
        return false;
    value = argument + 1 + length + 1;
    return true;
}

// "<a><separator><b>" with two integers, e.g. "800x600" or "100,-20".
bool ParsePair(const std::string& text, const char* separators, int& a, int& b) {
    const size_t split = text.find_first_of(separators);
    if (split == std::string::npos)
        return false;
    char* end = nullptr;
    const long first = std::strtol(text.c_str(), &end, 10);
    if (end != text.c_str() + split)
        return false;
    const char* second = text.c_str() + split + 1;
    const long last = std::strtol(second, &end, 10);
    if (end == second || *end != '\0')
        return false;
    a = static_cast<int>(first);
    b = static_cast<int>(last);
    return true;
}

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string value;
        int a = 0, b = 0;
        if (TakeSwitch(argv[i], "log", value) && !value.empty())
            options.logPath = value;
        else if (TakeSwitch(argv[i], "size", value) && ParsePair(value, "xX", a, b) && a > 0 && b > 0) {
            options.clientWidth = a;
            options.clientHeight = b;
        } else if (TakeSwitch(argv[i], "pos", value) && ParsePair(value, ",", a, b)) {
            options.x = a;
            options.y = b;
        } else if (TakeSwitch(argv[i], "title", value))
            options.title = value;
        else if (TakeSwitch(argv[i], "dpi", value) && (value == "aware" || value == "unaware"))
            options.dpi = value;
        else if (TakeSwitch(argv[i], "layout", value) && value.size() == 1 && value[0] >= '1' &&
                 value[0] < '1' + kLayoutCount)
            options.layout = value[0] - '0';
    }
    return options;
}

// ---------------------------------------------------------------------------
// Layout

RECT ScaleRect(int x, int y, int width, int height, int clientWidth, int clientHeight) {
    // Edges are scaled, not sizes, so neighbours stay aligned after rounding.
    RECT r;
    r.left = MulDiv(x, clientWidth, kRefWidth);
    r.top = MulDiv(y, clientHeight, kRefHeight);
    r.right = MulDiv(x + width, clientWidth, kRefWidth);
    r.bottom = MulDiv(y + height, clientHeight, kRefHeight);
    return r;
}

void LayOut(int clientWidth, int clientHeight) {
    for (size_t i = 0; i < g_controls.size(); ++i) {
        const ControlDef& c = g_layout[i];
        const RECT r = ScaleRect(c.x, c.y, c.width, c.height, clientWidth, clientHeight);
        MoveWindow(g_controls[i], r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
}

void ResizeClientTo(HWND window, int clientWidth, int clientHeight) {
    if (clientWidth <= 0 || clientHeight <= 0)
        return;
    if (IsIconic(window) || IsZoomed(window))
        ShowWindow(window, SW_RESTORE);
    RECT frame = {0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)));
    const unsigned before = g_sizeLines;
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // Whoever asked waits for a "size" line: give one even if nothing changed.
    if (g_sizeLines == before) {
        RECT client;
        GetClientRect(window, &client);
        RecordSize(client.right, client.bottom);
    }
}

// ---------------------------------------------------------------------------
// What the buttons do

Role RoleOf(int id) {
    for (const ControlDef& c : g_layout)
        if (c.id == id)
            return c.role;
    return Role::None;
}

HWND Canvas() { return g_controls.back(); }

void RunCommand(WPARAM wParam) {
    if (HIWORD(wParam) != BN_CLICKED)
        return;
    switch (RoleOf(LOWORD(wParam))) {
    case Role::Capture:
        ++g_canvas.captures;
        break;
    case Role::Live:
        g_canvas.frozen = false;
        break;
    case Role::Freeze:
        g_canvas.frozen = true;
        break;
    case Role::None:
        return;
    }
    InvalidateRect(Canvas(), nullptr, FALSE);
}

// ---------------------------------------------------------------------------
// Buttons: subclassed to record the clicks they get.

LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP)
        RecordMessage(window, message, wParam, lParam);
    else if (message == WM_NCDESTROY)
        RemoveWindowSubclass(window, ButtonProc, 0);
    return DefSubclassProc(window, message, wParam, lParam);
}

// ---------------------------------------------------------------------------
// Panels: a tool box background with an etched frame; inner panels darker.

int PanelDepth(HWND panel) {
    int depth = 0;
    char className[64];
    for (HWND w = GetParent(panel); w && w != g_main; w = GetParent(w))
        if (GetClassNameA(w, className, sizeof className) && lstrcmpiA(className, kPanelClass) == 0)
            ++depth;
    return depth;
}

void PaintPanel(HWND panel) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(panel, &ps);
    RECT r;
    GetClientRect(panel, &r);
    const int shade = 232 - 14 * PanelDepth(panel);
    HBRUSH fill = CreateSolidBrush(RGB(shade, shade, shade + 6));
    FillRect(dc, &r, fill);
    DeleteObject(fill);
    DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
    EndPaint(panel, &ps);
}

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (ContainerRecords(message))
        RecordMessage(window, message, wParam, lParam);
    switch (message) {
    case WM_COMMAND:
        RunCommand(wParam);
        return 0;
    case WM_ERASEBKGND:
        return 1; // WM_PAINT fills it all
    case WM_PAINT:
        PaintPanel(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// ---------------------------------------------------------------------------
// Canvas: a live image with a crosshair, the last click marked.

void FillRectColor(HDC dc, const RECT& r, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

// A dim background with a soft vertical fall-off, as a microscope field.
void DrawField(HDC dc, const RECT& image) {
    const int bands = 24;
    const int height = image.bottom - image.top;
    for (int i = 0; i < bands; ++i) {
        RECT band = image;
        band.top = image.top + MulDiv(i, height, bands);
        band.bottom = image.top + MulDiv(i + 1, height, bands);
        const int level = 34 - std::abs(i - bands / 2) * 2;
        FillRectColor(dc, band, RGB(level - 8, level, level + 10));
    }
}

// A round specimen: concentric discs, brighter towards the middle.
void DrawSpecimen(HDC dc, int cx, int cy, int radius, COLORREF core) {
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    const int rings = 6;
    for (int i = 0; i < rings; ++i) {
        const int r = radius - MulDiv(i, radius, rings);
        const int k = 40 + 60 * i / rings;
        HBRUSH brush = CreateSolidBrush(RGB(GetRValue(core) * k / 100, GetGValue(core) * k / 100,
                                            GetBValue(core) * k / 100));
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        Ellipse(dc, cx - r, cy - r, cx + r + 1, cy + r + 1);
        SelectObject(dc, oldBrush);
        DeleteObject(brush);
    }
    SelectObject(dc, oldPen);
}

void DrawLine(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void DrawCrosshair(HDC dc, const RECT& image) {
    const int cx = (image.left + image.right) / 2;
    const int cy = (image.top + image.bottom) / 2;
    HPEN pen = CreatePen(PS_DOT, 1, RGB(0, 190, 90));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    SetBkMode(dc, TRANSPARENT);
    DrawLine(dc, image.left, cy, image.right, cy);
    DrawLine(dc, cx, image.top, cx, image.bottom);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    Ellipse(dc, cx - 12, cy - 12, cx + 13, cy + 13);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

void DrawScaleBar(HDC dc, const RECT& image) {
    const int length = (image.right - image.left) / 8;
    const int y = image.bottom - 12;
    const int right = image.right - 12;
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(220, 220, 220));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    DrawLine(dc, right - length, y, right, y);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    SetTextColor(dc, RGB(220, 220, 220));
    RECT label = {right - length - 20, y - 18, right + 20, y - 3};
    DrawTextA(dc, "50 um", -1, &label, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void DrawOverlay(HDC dc, const RECT& image) {
    RECT text = image;
    InflateRect(&text, -8, -6);
    SetTextColor(dc, g_canvas.frozen ? RGB(255, 190, 40) : RGB(60, 230, 110));
    DrawTextA(dc, g_canvas.frozen ? "FROZEN" : "LIVE", -1, &text, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    const std::string captures = "Captures: " + std::to_string(g_canvas.captures);
    SetTextColor(dc, RGB(220, 220, 220));
    DrawTextA(dc, captures.c_str(), -1, &text, DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

void DrawMark(HDC dc) {
    if (!g_canvas.hasMark)
        return;
    const COLORREF color = g_canvas.markRight ? RGB(40, 200, 255) : RGB(255, 60, 60);
    const int x = g_canvas.mark.x, y = g_canvas.mark.y;
    HPEN pen = CreatePen(PS_SOLID, 2, color);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Ellipse(dc, x - 7, y - 7, x + 8, y + 8);
    DrawLine(dc, x - 11, y, x + 12, y);
    DrawLine(dc, x, y - 11, x, y + 12);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    char label[48];
    std::snprintf(label, sizeof label, "%c %ld,%ld", g_canvas.markRight ? 'R' : 'L', static_cast<long>(x),
                  static_cast<long>(y));
    SetTextColor(dc, color);
    TextOutA(dc, x + 12, y + 4, label, static_cast<int>(std::strlen(label)));
}

void DrawCanvas(HDC dc, const RECT& client) {
    FillRectColor(dc, client, RGB(255, 255, 255));
    HBRUSH border = CreateSolidBrush(RGB(128, 128, 128));
    FrameRect(dc, &client, border);
    DeleteObject(border);

    RECT image = client;
    InflateRect(&image, -6, -6);
    if (image.right > image.left && image.bottom > image.top) {
        const int w = image.right - image.left, h = image.bottom - image.top;
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, image.left, image.top, image.right, image.bottom);
        DrawField(dc, image);
        DrawSpecimen(dc, image.left + w * 62 / 100, image.top + h * 42 / 100, std::min(w, h) / 4,
                     RGB(170, 200, 230));
        DrawSpecimen(dc, image.left + w * 27 / 100, image.top + h * 68 / 100, std::min(w, h) / 8,
                     RGB(200, 170, 230));
        DrawCrosshair(dc, image);
        DrawScaleBar(dc, image);
        DrawOverlay(dc, image);
        RestoreDC(dc, saved);
    }
    DrawMark(dc);
}

// Drawn off screen first, so a stream of clicks does not flicker.
void PaintCanvas(HWND canvas) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(canvas, &ps);
    RECT client;
    GetClientRect(canvas, &client);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, std::max(1L, client.right), std::max(1L, client.bottom));
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    HGDIOBJ oldFont = SelectObject(memory, g_font);
    SetBkMode(memory, TRANSPARENT);
    DrawCanvas(memory, client);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldFont);
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(canvas, &ps);
}

void MarkClick(HWND canvas, UINT message, LPARAM lParam) {
    if (message != WM_LBUTTONDOWN && message != WM_LBUTTONDBLCLK && message != WM_RBUTTONDOWN)
        return;
    g_canvas.hasMark = true;
    g_canvas.markRight = message == WM_RBUTTONDOWN;
    g_canvas.mark = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    InvalidateRect(canvas, nullptr, FALSE);
}

LRESULT CALLBACK CanvasProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (CanvasRecords(message))
        RecordMessage(window, message, wParam, lParam);
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
        MarkClick(window, message, lParam);
        return 0;
    case WM_ERASEBKGND:
        return 1; // WM_PAINT covers every pixel
    case WM_PAINT:
        PaintCanvas(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// ---------------------------------------------------------------------------
// Main window

HWND ParentFor(const ControlDef& c, HWND main) {
    if (c.parentId == 0)
        return main;
    for (size_t i = 0; i < g_controls.size(); ++i)
        if (g_layout[i].id == c.parentId)
            return g_controls[i];
    return main;
}

bool CreateControls(HWND main) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    for (const ControlDef& c : g_layout) {
        // A group box lies over the controls it frames: it is painted last and
        // does not clip them, as in a dialog.
        const bool groupBox = (c.style & BS_GROUPBOX) == BS_GROUPBOX && lstrcmpiA(c.className, "BUTTON") == 0;
        const DWORD clip = groupBox || c.id == 104 ? 0 : WS_CLIPSIBLINGS;
        HWND control = CreateWindowExA(groupBox ? WS_EX_TRANSPARENT : 0, c.className, c.text,
                                       WS_CHILD | clip | c.style, c.x, c.y,
                                       c.width, c.height, ParentFor(c, main),
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
        if (!control)
            return false;
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_font), FALSE);
        if (lstrcmpiA(c.className, "BUTTON") == 0)
            SetWindowSubclass(control, ButtonProc, 0, 0);
        g_controls.push_back(control);
    }
    return true;
}

void PaintMain(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT status = StatusRect(window);
    FillRect(dc, &status, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &status, BDR_SUNKENOUTER, BF_RECT);
    RECT text = status;
    InflateRect(&text, -8, 0);
    HGDIOBJ oldFont = SelectObject(dc, g_font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextA(dc, g_status.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, oldFont);
    EndPaint(window, &ps);
}

void OnSize(HWND window, WPARAM kind, int width, int height) {
    if (kind == SIZE_MINIMIZED)
        return; // nothing to lay out; the restore brings the real size
    LayOut(width, height);
    InvalidateRect(window, nullptr, TRUE);
    // Creation and the first show can both report the same size: one line.
    if (width != g_lastLoggedSize.cx || height != g_lastLoggedSize.cy)
        RecordSize(width, height);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (ContainerRecords(message))
        RecordMessage(window, message, wParam, lParam);
    switch (message) {
    case WM_CREATE:
        g_main = window;
        return CreateControls(window) ? 0 : -1;
    case WM_SIZE:
        OnSize(window, wParam, LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_COMMAND:
        RunCommand(wParam);
        return 0;
    case WM_PAINT:
        PaintMain(window);
        return 0;
    case kMsgResize:
        ResizeClientTo(window, LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_DPICHANGED: {
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case kMsgWhereIsTheCursor:
        RecordCursor(static_cast<int>(wParam));
        return 0;
    case kMsgClose:
        DestroyWindow(window);
        return 0;
    case kMsgHang:
        Record("main", "hang", "-", "-");
        Sleep(wParam ? static_cast<DWORD>(wParam) : INFINITE); // the hang itself
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// ---------------------------------------------------------------------------

bool RegisterClasses(HINSTANCE instance) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));

    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    wc.lpszClassName = kMainClass;
    if (!RegisterClassExA(&wc))
        return false;

    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = PanelProc;
    wc.hbrBackground = nullptr;
    wc.hIcon = nullptr;
    wc.lpszClassName = kPanelClass;
    if (!RegisterClassExA(&wc))
        return false;

    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = CanvasProc;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_CROSS));
    wc.lpszClassName = kCanvasClass;
    return RegisterClassExA(&wc) != 0;
}

// Sets the DPI awareness /dpi asks for, before any window exists. The process
// setting is what a manifest would give; where the platform has fixed it
// already (Wine does at start-up), the thread's, which its windows take.
void SetDpiAwareness(const std::string& dpi) {
    if (dpi.empty())
        return;
    const auto context = reinterpret_cast<HANDLE>(dpi == "aware" ? -4 : -1); // PMv2 : unaware
    HMODULE user32 = GetModuleHandleA("user32.dll");
    using SetProcessProc = BOOL(WINAPI*)(HANDLE);
    using SetThreadProc = HANDLE(WINAPI*)(HANDLE);
    const auto setProcess = reinterpret_cast<SetProcessProc>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
    const auto setThread = reinterpret_cast<SetThreadProc>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetThreadDpiAwarenessContext")));
    if (setProcess && setProcess(context))
        return;
    if (setThread)
        setThread(context);
}

// An aware program draws its 100 % layout at the display's scale.
int ScaledToDisplay(int size, const Options& options) {
    if (options.dpi != "aware")
        return size;
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return MulDiv(size, dpi, 96);
}

HWND CreateMainWindow(HINSTANCE instance, const Options& options) {
    const DWORD style = WS_OVERLAPPEDWINDOW;
    RECT frame = {0, 0, ScaledToDisplay(options.clientWidth, options), ScaledToDisplay(options.clientHeight, options)};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    return CreateWindowExA(0, kMainClass, options.title.c_str(), style, options.x, options.y,
                           frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    g_options = ParseOptions(__argc, __argv);
    g_layout = LayoutOf(g_options.layout);
    SetDpiAwareness(g_options.dpi);
    Record("main", "start", OneField(GetCommandLineA()), "-");

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    g_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

    if (!RegisterClasses(instance) || !CreateMainWindow(instance, g_options))
        return 1;
    ShowWindow(g_main, SW_SHOW);
    UpdateWindow(g_main);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
