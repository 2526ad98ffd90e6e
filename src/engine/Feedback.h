#pragma once
// The acoustic feedback of a performed step.
#include "StepOutcome.h"

#include <windows.h>

constexpr UINT kStepDoneBeep = 0xFFFFFFFF;    // the simple beep
constexpr UINT kStepFailedBeep = MB_ICONHAND; // the error beep

// Every beep goes through this pointer (MessageBeep); tests put a recorder here.
using MessageBeepFn = BOOL(WINAPI*)(UINT);
extern MessageBeepFn g_messageBeep;

// The one place that decides the beeps: none unless `beepAllowed` and
// "NoBeep" is non-zero (the key has always meant "beeps on"); then the simple
// beep for a step done, the error beep for one that was not.
void GiveFeedback(const StepOutcome& outcome, bool beepAllowed);
