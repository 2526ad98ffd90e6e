#include "ModulePaths.h"

#include <windows.h>
#include <shlwapi.h>

std::string ExecutablePath() {
    char path[512] = "";
    (void)GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

std::string BaseNameOf(const std::string& path) {
    char stripped[MAX_PATH] = "";
    lstrcpynA(stripped, path.c_str(), MAX_PATH);
    PathRemoveExtensionA(stripped);
    return PathFindFileNameA(stripped);
}

std::string ApplicationName() { return BaseNameOf(ExecutablePath()); }
