#include "ClickPosition.h"

LPARAM ClickPositionFor(HWND target, POINT screenPoint) {
    (void)ScreenToClient(target, &screenPoint);
    return MAKELPARAM(LOWORD(screenPoint.x), LOWORD(screenPoint.y));
}
