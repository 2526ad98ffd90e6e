#pragma once
// The acoustic feedback of a performed step.
#include <windows.h>

constexpr UINT kStepDoneBeep = 0xFFFFFFFF;    // the simple beep
constexpr UINT kStepFailedBeep = MB_ICONHAND; // the error beep

// Every beep goes through this pointer (MessageBeep); tests put a recorder here.
using MessageBeepFn = BOOL(WINAPI*)(UINT);
extern MessageBeepFn g_messageBeep;
