// For context: the idle cost of an empty modal dialog, which is what Snap's
// window is when it does nothing.
#include <windows.h>

namespace {

INT_PTR CALLBACK DoNothing(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    struct {
        DLGTEMPLATE dialog;
        WORD menu, windowClass, title[6];
    } layout = {};
    layout.dialog.style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    layout.dialog.cx = 31;
    layout.dialog.cy = 28;
    const wchar_t caption[] = L"Empty";
    for (int i = 0; i < 6; ++i)
        layout.title[i] = caption[i];
    return static_cast<int>(DialogBoxIndirectParamA(instance, &layout.dialog, nullptr, DoNothing, 0));
}
