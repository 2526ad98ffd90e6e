// EmptyDialog: a modal dialog with nothing in it and nothing to do, run from
// an in-memory template. Snap's own window is such a dialog; this one shows
// what the dialog alone costs under Wine, without polling.
#include <windows.h>

namespace {

INT_PTR CALLBACK DoNothing(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG; // let the default focus be set, handle nothing else
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // DLGTEMPLATE, then menu, window class and title, all WORD-aligned; no
    // DS_SETFONT, so no font follows, and no items.
    struct {
        DLGTEMPLATE dialog;
        WORD menu;
        WORD windowClass;
        WCHAR title[6];
    } layout = {};
    layout.dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
    layout.dialog.x = 160; // away from the top left corner, where Wine's tray lives
    layout.dialog.y = 40;
    layout.dialog.cx = 60;
    layout.dialog.cy = 30;
    const WCHAR title[] = L"Empty";
    for (int i = 0; i < 6; ++i)
        layout.title[i] = title[i];
    return static_cast<int>(
        DialogBoxIndirectParamA(instance, &layout.dialog, nullptr, DoNothing, 0));
}
