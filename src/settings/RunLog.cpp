#include "RunLog.h"

#include "SettingsFile.h"
#include "common/Handles.h"
#include "common/ModulePaths.h"

#include <cstdio>

std::string LogFilePath() {
    return JoinPath(FolderOf(SettingsFilePath()), ApplicationName() + ".log");
}

bool LogWanted() {
    return ReadSettingInt(kSectionParam, "Log", 1) != 0;
}

std::string LogTimestamp(const SYSTEMTIME& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", time.wYear, time.wMonth,
                  time.wDay, time.wHour, time.wMinute, time.wSecond, time.wMilliseconds);
    return text;
}

namespace {

HANDLE OpenForAppending(const std::string& path) {
    // No waiting on a file someone holds without sharing: the line is lost.
    return CreateFileA(path.c_str(), FILE_APPEND_DATA,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

bool AppendLogLine(const std::string& path, const std::string& line, ULONGLONG rotateBytes) {
    UniqueKernelHandle file(OpenForAppending(path));
    if (!file)
        return false;
    LARGE_INTEGER size = {};
    if (GetFileSizeEx(file.get(), &size) && static_cast<ULONGLONG>(size.QuadPart) >= rotateBytes) {
        file.reset();
        // When the rename fails (the old file is held open), the log goes on
        // growing rather than losing lines.
        (void)MoveFileExA(path.c_str(), (path + ".1").c_str(), MOVEFILE_REPLACE_EXISTING);
        file.reset(OpenForAppending(path));
        if (!file)
            return false;
    }
    const std::string whole = line + "\r\n";
    DWORD written = 0;
    return WriteFile(file.get(), whole.data(), static_cast<DWORD>(whole.size()), &written,
                     nullptr) &&
           written == whole.size();
}

void WriteLogLine(const std::string& text) {
    if (!LogWanted())
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    (void)AppendLogLine(LogFilePath(), LogTimestamp(now) + "  " + text, kLogRotateBytes);
}
