#include "CheckCommand.h"
#include "TapsyncApp.h"
#include "common/LibrarySearch.h"

#include <windows.h>

namespace {
CTapsyncApp theApp;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    // The library search never includes the current directory for anything
    // the program loads later on (the camera library has its own safe loader).
    KeepCurrentDirectoryOutOfLibrarySearch();
    // "/check" tells what the steps would do and ends: no window, no tray
    // icon, and the camera library is only loaded to be named, never asked.
    // Any other command line starts as always.
    if (IsCheckCommand(arguments))
        return RunCheck();
    theApp.InitInstance();
    return 0;
}
