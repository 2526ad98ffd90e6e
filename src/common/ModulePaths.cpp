#include "ModulePaths.h"

#include <windows.h>
#include <shlwapi.h>

#include <vector>

std::string ExecutablePath() { return ModulePath(nullptr); }

std::string ModulePath(HMODULE module) {
    // The program may live deeper than MAX_PATH: grow until the name fits (a
    // name that fills the buffer may have been cut).
    for (DWORD size = MAX_PATH;; size *= 2) {
        std::vector<char> path(size);
        const DWORD length = GetModuleFileNameA(module, path.data(), size);
        if (length < size || size >= (1u << 16))
            return std::string(path.data(), length < size ? length : 0);
    }
}

// The shell's path functions walk the text by characters (a double-byte
// character may end in a backslash byte) and take paths of any length when
// they are given a string rather than a MAX_PATH buffer.
std::string FolderOf(const std::string& path) {
    const char* name = PathFindFileNameA(path.c_str());
    std::string folder = path.substr(0, static_cast<size_t>(name - path.c_str()));
    if (folder.size() > 1 && folder.back() == '\\' && folder[folder.size() - 2] != ':')
        folder.pop_back();
    return folder;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
    const char* begin = folder.c_str();
    const char* last = CharPrevA(begin, begin + folder.size());
    const bool endsInSeparator = last + 1 == begin + folder.size() && (*last == '\\' || *last == '/');
    return endsInSeparator ? folder + name : folder + "\\" + name;
}

std::string BaseNameOf(const std::string& path) {
    std::string stripped = path;
    PathRemoveExtensionA(&stripped[0]);
    return PathFindFileNameA(stripped.c_str());
}

std::string ApplicationName() { return BaseNameOf(ExecutablePath()); }
