#pragma once
// Sizes of the platform structures the program hands to Windows. The 32-bit
// numbers are fixed by the platform's ABI; checking them here catches a header
// or packing change at compile time, since the 32-bit build cannot run here.
#include <windows.h>
#include <shellapi.h>

// The tray icon is registered with the pre-Vista layout (no GUID, no balloon
// icon) so the same structure size works on every supported Windows version.
constexpr DWORD kTrayIconDataSize = NOTIFYICONDATAA_V2_SIZE;
constexpr DWORD kStartupInfoSize = sizeof(STARTUPINFOA);
constexpr UINT kWindowPlacementSize = sizeof(WINDOWPLACEMENT);

#if defined(__i386__) || defined(_M_IX86)
static_assert(kTrayIconDataSize == 488, "NOTIFYICONDATAA (V2 layout) must be 488 bytes");
static_assert(kStartupInfoSize == 68, "STARTUPINFOA must be 68 bytes");
static_assert(kWindowPlacementSize == 44, "WINDOWPLACEMENT must be 44 bytes");
#endif
