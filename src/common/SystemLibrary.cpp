#include "SystemLibrary.h"

HMODULE LoadSystemLibrary(const char* name) {
    std::string path = PlatformFolder(GetSystemDirectoryA);
    if (path.empty())
        return nullptr; // never a search by bare name instead
    if (path.back() != '\\')
        path += '\\';
    path += name;
    // A full path alone would still look for the library's own imports
    // beside the program first; the altered search starts in the system
    // folder. (LOAD_LIBRARY_SEARCH_SYSTEM32 would too, but Windows 7 without
    // its update rejects that flag.)
    return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
