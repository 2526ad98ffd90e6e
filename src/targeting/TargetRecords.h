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
