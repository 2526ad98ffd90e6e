#pragma once
// The contract with the camera button library, KelvraTouch.dll.
#include <windows.h>

#include <string>

constexpr const char* kCameraLibraryName = "KelvraTouch.dll";
constexpr const char* kCameraButtonExport = "fnKelvraTouch";

// The export: the video source name in ("Pilote" of section "Video", possibly
// empty, valid only during the call), the button state out. C calling
// convention: the caller removes the argument.
typedef int(__cdecl* CameraButtonProc)(const char* videoSourceName);

// Results as the program reads them.
constexpr int kCameraButtonPressed = 0;
constexpr int kCameraButtonPressedToo = 2;
// No press, and the next call is to come after a longer pause. The program also
// uses it itself when it has no entry point.
constexpr int kCameraButtonSlowDown = -1;

inline bool IsCameraButtonPress(int result) {
    return result == kCameraButtonPressed || result == kCameraButtonPressedToo;
}

// A file of the library's name that the search found but the system would not
// load: a 64-bit build beside the 32-bit program (error 193), one missing a
// library of its own (126).
struct RefusedLibrary {
    std::string path;
    DWORD error = 0;
};

// Loads the library from the first folder of the platform's standard search
// order that holds one that loads: the executable's own folder, the system
// folder, the 16-bit system folder, the Windows folder, the folders of %PATH%.
// Never from the current directory, nor from a relative %PATH% entry that
// resolves against it: a DLL planted there would run inside the program.
// The first file that would not load is kept in `refused`, when given.
HMODULE LoadCameraButtonLibrary(RefusedLibrary* refused = nullptr);

// Why the program cannot use the library that the search came to (`module`,
// null when none loaded), in words that follow "the camera library": that no
// file of its name was found, the file that would not load and the system's
// reason, or the file without the entry point. Empty when it can be used.
std::string CameraLibraryProblem(HMODULE module, const RefusedLibrary& refused);
