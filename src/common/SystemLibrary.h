#pragma once
// The system's folders, and the libraries of the system that the program
// looks up while it runs.
#include <windows.h>

#include <string>
#include <vector>

// A folder the platform names through a (buffer, size) query such as
// GetSystemDirectoryA: grown until the answer fits; "" when it names none.
template <typename Query> std::string PlatformFolder(Query query) {
    std::vector<char> folder(MAX_PATH);
    for (;;) {
        const UINT length = query(folder.data(), static_cast<UINT>(folder.size()));
        if (length == 0)
            return std::string();
        if (length < folder.size())
            return std::string(folder.data(), length);
        folder.resize(length + 1);
    }
}

// Loads a library of the system from the system folder alone. Looked for by
// its bare name, it would also be searched for beside the program and along
// %PATH% wherever the system lacks it, and a library planted there under that
// name would run inside the program.
HMODULE LoadSystemLibrary(const char* name);
