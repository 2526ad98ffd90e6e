#include "FailureNotices.h"

TickCountFn g_tickCount64 = GetTickCount64;

bool CFailureNotices::Take(FailureCause cause) {
    const ULONGLONG now = g_tickCount64();
    const auto told = m_lastTold.find(cause);
    if (told != m_lastTold.end() && now - told->second < kNoticeIntervalMs)
        return false;
    m_lastTold[cause] = now;
    return true;
}
