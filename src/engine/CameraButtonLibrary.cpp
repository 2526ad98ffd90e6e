#include "CameraButtonLibrary.h"

#include <shlwapi.h>

namespace {

HMODULE LoadFromFolder(const char* folder) {
    char path[MAX_PATH] = "";
    lstrcpynA(path, folder, MAX_PATH);
    if (!PathAppendA(path, kCameraLibraryName))
        return nullptr;
    // The library's own dependencies are looked up beside it too.
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

} // namespace

HMODULE LoadCameraButtonLibrary() {
    char folder[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH && PathRemoveFileSpecA(folder)) {
        if (HMODULE module = LoadFromFolder(folder))
            return module;
    }
    const UINT systemLength = GetSystemDirectoryA(folder, MAX_PATH);
    if (systemLength > 0 && systemLength < MAX_PATH)
        return LoadFromFolder(folder);
    return nullptr;
}
