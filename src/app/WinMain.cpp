#include "TapsyncApp.h"
#include "common/LibrarySearch.h"

#include <windows.h>

namespace {
CTapsyncApp theApp;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The library search never includes the current directory for anything
    // the program loads later on (the camera library has its own safe loader).
    KeepCurrentDirectoryOutOfLibrarySearch();
    theApp.InitInstance();
    return 0;
}
