#include "TestFiles.h"

#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <fstream>
#include <sstream>

std::string ToWindowsPath(const std::string& buildPath) {
    std::string path = buildPath;
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path; // Wine maps the Linux root to drive Z:
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string ReadTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteTextFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WaitUntilFileExists(const std::string& path, unsigned long timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!FileExists(path)) {
        if (GetTickCount64() > deadline)
            return false;
        Sleep(20); // a file's appearance can only be asked for
    }
    return true;
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else if (!DeleteFileA(child.c_str()) &&
                     SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL))
                DeleteFileA(child.c_str()); // a read-only file
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

std::string LocalAppDataFolder() {
    char folder[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return folder;
}

std::string UniqueName(const std::string& prefix) {
    // Process ids are reused from one test process to the next: the clock
    // tells them apart.
    static std::atomic<int> counter{0};
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return prefix + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter) + "_" +
           std::to_string(now.QuadPart % 1000000);
}

TempDir::TempDir() {
    char base[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, base);
    m_path = std::string(base) + UniqueName("snaptest_");
    CreateDirectoryA(m_path.c_str(), nullptr);
}

TempDir::~TempDir() { RemoveTree(m_path); }
