#include "WindowOwner.h"

#include "common/Handles.h"

#include <vector>

IntegrityLevel IntegrityFromRid(DWORD rid) {
    if (rid < SECURITY_MANDATORY_MEDIUM_RID)
        return IntegrityLevel::Low; // untrusted counts as low: just as far out of reach
    if (rid < SECURITY_MANDATORY_HIGH_RID)
        return IntegrityLevel::Medium;
    if (rid < SECURITY_MANDATORY_SYSTEM_RID)
        return IntegrityLevel::High;
    return IntegrityLevel::System;
}

IntegrityLevel IntegrityOfProcess(HANDLE process) {
    UniqueKernelHandle token;
    if (!OpenProcessToken(process, TOKEN_QUERY, token.receive()))
        return IntegrityLevel::Unknown;
    DWORD size = 0;
    (void)GetTokenInformation(token.get(), TokenIntegrityLevel, nullptr, 0, &size);
    if (size < sizeof(TOKEN_MANDATORY_LABEL))
        return IntegrityLevel::Unknown;
    std::vector<BYTE> buffer(size);
    if (!GetTokenInformation(token.get(), TokenIntegrityLevel, buffer.data(), size, &size))
        return IntegrityLevel::Unknown;
    const auto* label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data());
    const PSID sid = label->Label.Sid;
    if (!sid || !IsValidSid(sid) || *GetSidSubAuthorityCount(sid) == 0)
        return IntegrityLevel::Unknown;
    return IntegrityFromRid(*GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1u));
}

IntegrityLevel OwnIntegrityLevel() {
    // A process keeps the level it was started with.
    static const IntegrityLevel level = IntegrityOfProcess(GetCurrentProcess());
    return level;
}

WindowOwner OwnerOfWindow(HWND window) {
    WindowOwner owner;
    if (!IsWindow(window) || !GetWindowThreadProcessId(window, &owner.processId))
        return owner;
    // The least access there is: it is granted even for an elevated process.
    UniqueKernelHandle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner.processId));
    if (!process)
        return owner;
    std::vector<char> path(MAX_PATH);
    for (;;) {
        DWORD length = static_cast<DWORD>(path.size());
        if (QueryFullProcessImageNameA(process.get(), 0, path.data(), &length)) {
            owner.imagePath.assign(path.data(), length);
            break;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || path.size() >= 32768)
            break;
        path.resize(path.size() * 2);
    }
    owner.integrity = IntegrityOfProcess(process.get());
    return owner;
}

const char* IntegrityLevelName(IntegrityLevel level) {
    switch (level) {
    case IntegrityLevel::Low:
        return "low";
    case IntegrityLevel::Medium:
        return "medium";
    case IntegrityLevel::High:
        return "high";
    case IntegrityLevel::System:
        return "system";
    case IntegrityLevel::Unknown:
        break;
    }
    return "unknown";
}

bool IsHigherIntegrity(IntegrityLevel theirs, IntegrityLevel ours) {
    return theirs != IntegrityLevel::Unknown && ours != IntegrityLevel::Unknown && theirs > ours;
}
