#include "WindowTree.h"

namespace {

constexpr DWORD kTopStyle = WS_OVERLAPPEDWINDOW;
constexpr const char* kChildClassName = "SnapTestChild";

bool IsRecorded(UINT message) {
    return message == WM_COMMAND || (message >= WM_USER && message < 0x8000) ||
           (message >= MM_JOY1BUTTONDOWN && message <= MM_JOY2BUTTONUP) ||
           message == WM_LBUTTONDOWN || message == WM_LBUTTONUP;
}

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsRecorded(message))
        ReceivedMessages().push_back({window, message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterClasses() {
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RecordingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = WindowTree::kClassName;
    RegisterClassA(&windowClass);
    windowClass.lpszClassName = kChildClassName;
    RegisterClassA(&windowClass);
    registered = true;
}

} // namespace

std::vector<ReceivedMessage>& ReceivedMessages() {
    static std::vector<ReceivedMessage> messages;
    return messages;
}

void DeliverPostedMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

WindowTree::WindowTree(int clientWidth, int clientHeight, const char* title) {
    RegisterClasses();
    RECT frame = {0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, kTopStyle, FALSE, 0);
    m_top = CreateWindowExA(0, kClassName, title, kTopStyle | WS_VISIBLE, 60, 40,
                            frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
}

WindowTree::~WindowTree() { DestroyWindow(m_top); }

HWND WindowTree::Add(HWND parent, int x, int y, int width, int height, bool visible, int id) {
    const DWORD style = WS_CHILD | (visible ? WS_VISIBLE : 0);
    return CreateWindowExA(0, kChildClassName, "", style, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
}

void WindowTree::ResizeClient(int clientWidth, int clientHeight) {
    RECT frame = {0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, kTopStyle, FALSE, 0);
    SetWindowPos(m_top, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER);
}

std::string ClassOf(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}
