#pragma once
// Files, folders and paths for tests that run under Wine.
#include <string>

// A path given by the build (a Linux path) as Windows sees it under Wine.
std::string ToWindowsPath(const std::string& buildPath);

std::string ReadTextFile(const std::string& path);
void WriteTextFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);
// Waits until the file exists, at most timeoutMs; false when it never did.
bool WaitUntilFileExists(const std::string& path, unsigned long timeoutMs);
void RemoveTree(const std::string& path);
std::string LocalAppDataFolder();

// A fresh, empty folder under the temporary folder, removed at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "\\" + name; }

private:
    std::string m_path;
};

// A name no other test run uses at the same time (for executables, whose name
// decides the settings file).
std::string UniqueName(const std::string& prefix);
