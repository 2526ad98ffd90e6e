#pragma once
// Which failures of a run are told by a tray notification: at most one per
// cause a minute, so that a camera button pressed again and again against a
// closed application does not bury the screen in balloons.
#include "engine/StepReport.h"

#include <windows.h>

#include <map>

constexpr ULONGLONG kNoticeIntervalMs = 60 * 1000;

// The clock of the rate limit (GetTickCount64); tests put their own here.
using TickCountFn = ULONGLONG(WINAPI*)();
extern TickCountFn g_tickCount64;

class CFailureNotices {
public:
    // Whether a failure of this cause may be told now; if so, it counts as
    // told from now on.
    bool Take(FailureCause cause);

private:
    std::map<FailureCause, ULONGLONG> m_lastTold;
};
