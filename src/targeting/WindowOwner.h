#pragma once
// Which process owns a window, and how far the system trusts that process:
// a program started "as administrator" runs at a higher integrity level than
// Snap, and the system then drops what Snap posts to its windows. All of this
// is asked of the system; the other program is never sent a message for it.
#include <windows.h>

#include <string>

// Mandatory integrity levels, lowest first, so that levels compare by order.
enum class IntegrityLevel { Unknown, Low, Medium, High, System };

struct WindowOwner {
    DWORD processId = 0; // 0: not a window (any more)
    // The owner's executable, full path; empty when the system would not say.
    std::string imagePath;
    // Unknown when the owner's token cannot be read: that is what a process
    // of medium integrity is told about an elevated one.
    IntegrityLevel integrity = IntegrityLevel::Unknown;
};

WindowOwner OwnerOfWindow(HWND window);

// The level of a process's token (the handle needs PROCESS_QUERY_LIMITED_INFORMATION).
IntegrityLevel IntegrityOfProcess(HANDLE process);
// Snap's own level.
IntegrityLevel OwnIntegrityLevel();

// The level from a token's mandatory label RID (SECURITY_MANDATORY_*_RID).
IntegrityLevel IntegrityFromRid(DWORD rid);

// "low", "medium", "high", "system" or "unknown".
const char* IntegrityLevelName(IntegrityLevel level);

// Whether a window of `theirs` is out of reach for posts from `ours`. An
// unknown level on either side proves nothing.
bool IsHigherIntegrity(IntegrityLevel theirs, IntegrityLevel ours);
