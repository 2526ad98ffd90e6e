#include "ControlIdentity.h"

#include <vector>

namespace {

std::string ClassOf(HWND window) {
    char className[256] = "";
    (void)GetClassNameA(window, className, sizeof className);
    return className;
}

// GetWindowTextA reads the system's copy of another program's window text
// without a message to it, so a hung application cannot hold Snap here.
std::string TextOf(HWND window) {
    char text[256] = "";
    (void)GetWindowTextA(window, text, sizeof text);
    return text;
}

// Class names are matched as the system matches them, without regard to case.
bool SameClassAndId(HWND window, const ControlIdentity& identity) {
    return lstrcmpiA(ClassOf(window).c_str(), identity.className.c_str()) == 0 &&
           GetDlgCtrlID(window) == identity.id;
}

// Texts are recorded and compared by their start only, so that a long one
// fits the settings file.
constexpr size_t kTextKept = 64;

bool SameText(HWND window, const ControlIdentity& identity) {
    return TextOf(window).substr(0, kTextKept) == identity.text;
}

struct Search {
    const ControlIdentity* identity;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectMatch(HWND window, LPARAM parameter) {
    Search& search = *reinterpret_cast<Search*>(parameter);
    if (IsWindowVisible(window) && SameClassAndId(window, *search.identity))
        search.found.push_back(window);
    return TRUE;
}

IdentityCheck Found(IdentityMatch match, HWND control, int matches) {
    IdentityCheck check;
    check.match = match;
    check.control = control;
    check.matches = matches;
    return check;
}

} // namespace

ControlIdentity IdentityOfControl(HWND top, HWND control, POINT pointInTop) {
    ControlIdentity identity;
    if (!control || control == top || !IsWindow(control) ||
        !(GetWindowLongA(control, GWL_STYLE) & WS_CHILD))
        return identity;
    identity.className = ClassOf(control);
    identity.id = GetDlgCtrlID(control);
    identity.text = TextOf(control).substr(0, kTextKept);
    (void)MapWindowPoints(top, control, &pointInTop, 1);
    identity.offsetX = pointInTop.x;
    identity.offsetY = pointInTop.y;
    return identity;
}

IdentityCheck CheckControlIdentity(HWND top, HWND atPath, const ControlIdentity& identity) {
    const bool textNeeded = identity.id == 0;
    const bool pathMatches = atPath && SameClassAndId(atPath, identity);
    if (pathMatches && (!textNeeded || SameText(atPath, identity)))
        return Found(IdentityMatch::AsRecorded, atPath, 0);

    Search search = {&identity, {}};
    (void)EnumChildWindows(top, CollectMatch, reinterpret_cast<LPARAM>(&search));
    const int matches = static_cast<int>(search.found.size());
    if (matches == 0)
        return Found(IdentityMatch::Missing, nullptr, 0);
    if (matches == 1 && !textNeeded)
        return Found(IdentityMatch::Moved, search.found.front(), 1);
    // The id is 0 or shared: the text tells the controls apart, where it can.
    if (!identity.text.empty()) {
        std::vector<HWND> withText;
        for (HWND window : search.found)
            if (SameText(window, identity))
                withText.push_back(window);
        if (withText.size() == 1)
            return withText.front() == atPath
                       ? Found(IdentityMatch::AsRecorded, atPath, 0)
                       : Found(IdentityMatch::Moved, withText.front(), matches);
        if (withText.size() > 1)
            return Found(IdentityMatch::Ambiguous, nullptr, static_cast<int>(withText.size()));
    }
    // The text tells nothing more (none recorded, or a caption that toggles,
    // "Live"/"Freeze"): a control of the recorded kind where the path leads
    // is the one, and so is the only one of that kind.
    if (pathMatches)
        return Found(IdentityMatch::AsRecorded, atPath, 0);
    if (matches == 1)
        return Found(IdentityMatch::Moved, search.found.front(), 1);
    if (textNeeded && identity.text.empty())
        return Found(IdentityMatch::CannotTell, atPath, matches);
    return Found(IdentityMatch::Ambiguous, nullptr, matches);
}

POINT PointInMovedControl(HWND top, HWND control, const ControlIdentity& identity, int refWidth,
                          int refHeight) {
    RECT client = {};
    (void)GetClientRect(top, &client);
    POINT point = {MulDiv(identity.offsetX, client.right - client.left, refWidth),
                   MulDiv(identity.offsetY, client.bottom - client.top, refHeight)};
    (void)MapWindowPoints(control, top, &point, 1);
    return point;
}

std::string IdentityInWords(const ControlIdentity& identity) {
    return "[" + identity.className + "] \"" + identity.text + "\" id " +
           std::to_string(identity.id);
}
