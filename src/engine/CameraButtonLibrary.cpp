#include "CameraButtonLibrary.h"

#include "StepReport.h"
#include "common/ModulePaths.h"
#include "common/SystemLibrary.h"

#include <string>
#include <vector>

namespace {

// Only a full path names one place whatever the current directory is: a drive
// and a backslash, or a network share.
bool IsFullPath(const std::string& path) {
    const bool drive = path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    const bool share = path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
    return drive || share;
}

// The folders of %PATH% that are full paths, in order.
std::vector<std::string> PathFolders() {
    std::vector<std::string> folders;
    const DWORD size = GetEnvironmentVariableA("PATH", nullptr, 0);
    if (size == 0)
        return folders;
    std::vector<char> value(size);
    const DWORD length = GetEnvironmentVariableA("PATH", value.data(), size);
    if (length == 0 || length >= size)
        return folders;
    const std::string path(value.data(), length);
    for (size_t at = 0; at <= path.size();) {
        size_t end = path.find(';', at);
        if (end == std::string::npos)
            end = path.size();
        // Taken as the loader takes it: a quoted entry names no folder.
        const std::string folder = path.substr(at, end - at);
        at = end + 1;
        if (IsFullPath(folder))
            folders.push_back(folder);
    }
    return folders;
}

// The platform's standard search order for a library, without the current
// directory and without %PATH% entries that would resolve against it.
std::vector<std::string> SearchFolders() {
    std::vector<std::string> folders;
    folders.push_back(FolderOf(ExecutablePath()));
    folders.push_back(PlatformFolder(GetSystemDirectoryA));
    const std::string windows = PlatformFolder(GetWindowsDirectoryA);
    if (!windows.empty())
        folders.push_back(JoinPath(windows, "System")); // the 16-bit system folder
    folders.push_back(windows);
    for (std::string& folder : PathFolders())
        folders.push_back(std::move(folder));
    return folders;
}

HMODULE LoadFromFolder(const std::string& folder, RefusedLibrary& refused) {
    if (folder.empty())
        return nullptr;
    std::string path = JoinPath(folder, kCameraLibraryName);
    // The program may live deeper than MAX_PATH: such a path only loads in
    // its wide, extended-length form.
    if (path.size() >= MAX_PATH)
        path = path.compare(0, 2, "\\\\") == 0 ? "\\\\?\\UNC\\" + path.substr(2)
                                             : "\\\\?\\" + path;
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (wideLength <= 0)
        return nullptr;
    std::vector<wchar_t> widePath(static_cast<size_t>(wideLength));
    (void)MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath.data(), wideLength);
    // The library's own dependencies are looked up beside it too.
    HMODULE module = LoadLibraryExW(widePath.data(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module || !refused.path.empty())
        return module;
    // "Not found" (126) is also the answer for a file that is there but lacks
    // a library of its own: only the file's presence tells them apart.
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(widePath.data());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        refused = {JoinPath(folder, kCameraLibraryName), error};
    return nullptr;
}

} // namespace

HMODULE LoadCameraButtonLibrary(RefusedLibrary* refused) {
    RefusedLibrary first;
    for (const std::string& folder : SearchFolders())
        if (HMODULE module = LoadFromFolder(folder, first))
            return module;
    if (refused)
        *refused = first;
    return nullptr;
}

std::string CameraLibraryProblem(HMODULE module, const RefusedLibrary& refused) {
    if (module) {
        if (GetProcAddress(module, kCameraButtonExport))
            return std::string();
        return ModulePath(module) + " has no entry point " + kCameraButtonExport;
    }
    if (refused.path.empty())
        return std::string(kCameraLibraryName) + " was found neither beside " + ApplicationName() +
               ".exe nor in the system folders nor on PATH";
    // The system's text may name the file as "%1" ("%1 is not a valid Win32
    // application.").
    std::string reason = SystemErrorText(refused.error);
    const size_t insert = reason.find("%1");
    if (insert != std::string::npos)
        reason.replace(insert, 2, kCameraLibraryName);
    return refused.path + " could not be loaded: " + reason;
}
