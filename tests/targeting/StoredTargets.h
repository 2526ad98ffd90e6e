#pragma once
// A target stored and read back as the settings dialog stores it and a step
// reads it: the records made by DescribeWindow and DescribeTargetPath, kept
// in the stored-text encoding under the step's key of section "Param".
#include "settings/SettingsFile.h"
#include "targeting/TargetPaths.h"

inline void StoreWindowDescription(HWND target, bool withTitle, const char* key) {
    WriteStoredText(kSectionParam, key, DescribeWindow(target, withTitle));
}

inline void StoreTargetPath(HWND topWindow, HWND control, const char* key,
                            const POINT* clickPoint) {
    WriteStoredText(kSectionParam, key, DescribeTargetPath(topWindow, control, clickPoint));
}

inline ResolvedTarget ResolveStoredPath(HWND topWindow, const char* key, int refWidth,
                                        int refHeight) {
    return ResolvePath(topWindow, ParseTargetPath(ReadStoredText(kSectionParam, key)), refWidth,
                       refHeight);
}
