#pragma once
// The two texts a step stores to find its target again, parsed and formatted.
// Pure text code (no windows.h), also built natively for sanitizers and fuzzing.
//
//   WindowDescription  "%d;%d;%s\t%s": reference client width and height, then
//                      the window class, a TAB and the title (empty: search by
//                      class). "0;0;\t" is the broadcast target.
//   TargetPath         "i1;i2;...;x;y": 1-based sibling positions of the
//                      control's ancestors below the top-level window, then a
//                      point in the top-level window's client coordinates.
#include <string>
#include <vector>

// The leading integer of a text as atoi reads it (blanks, sign, digits), but
// saturated at the int range instead of overflowing.
int LeadingInteger(const char* text);

struct WindowDescription {
    bool present = false; // false: fewer than two ";", no window chosen
    int refWidth = 0;
    int refHeight = 0;
    std::string className;
    std::string title;

    bool IsBroadcast() const { return present && className.empty() && title.empty(); }
};

// Field 2 is the whole rest of the record after the second ";", so a class or
// title containing ";" is found again.
WindowDescription ParseWindowDescription(const std::string& record);
std::string FormatWindowDescription(int refWidth, int refHeight, const std::string& className,
                                    const std::string& title);
// The record that stands for all top-level windows.
constexpr const char* kBroadcastDescription = "0;0;\t";

struct TargetPath {
    bool hasPoint = false; // false: empty text or no ";" at all
    std::vector<int> indices;
    int x = 0;
    int y = 0;
};

TargetPath ParseTargetPath(const std::string& text);
std::string FormatTargetPath(const std::vector<int>& indices, int x, int y);

//   ControlIdentity    "%d;%d;%d;%s\t%s": the control id, the step's point in
//                      the control's client area at the reference size, then
//                      the control's class, a TAB and its text.
struct ControlIdentity {
    std::string className; // empty: no identity was recorded
    int id = 0;
    // The text tells controls apart only where the class and id do not: a
    // caption may toggle ("Live"/"Freeze").
    std::string text;
    int offsetX = 0; // the step's point in the control, at the reference size
    int offsetY = 0;

    bool IsKnown() const { return !className.empty(); }
};

// The record of an identity; the text is cut so that the record stays within
// `maxLength` bytes, what a stored text gives back whole. An unknown identity
// is the empty record.
std::string FormatControlIdentity(const ControlIdentity& identity, size_t maxLength);
// An empty or malformed record is an unknown identity.
ControlIdentity ParseControlIdentity(const std::string& record);
