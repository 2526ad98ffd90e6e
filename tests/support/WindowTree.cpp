#include "WindowTree.h"

namespace {

constexpr DWORD kTopStyle = WS_OVERLAPPEDWINDOW;

void RegisterTopClass() {
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = WindowTree::kClassName;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassA(&windowClass);
    registered = true;
}

} // namespace

WindowTree::WindowTree(int clientWidth, int clientHeight, const char* title) {
    RegisterTopClass();
    RECT frame = {0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, kTopStyle, FALSE, 0);
    m_top = CreateWindowExA(0, kClassName, title, kTopStyle | WS_VISIBLE, 60, 40,
                            frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
}

WindowTree::~WindowTree() { DestroyWindow(m_top); }

HWND WindowTree::Add(HWND parent, int x, int y, int width, int height, bool visible, int id) {
    const DWORD style = WS_CHILD | (visible ? WS_VISIBLE : 0);
    return CreateWindowExA(0, "STATIC", "", style, x, y, width, height, parent,
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
