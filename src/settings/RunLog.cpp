#include "RunLog.h"

#include "SettingsFile.h"
#include "common/AnsiText.h"
#include "common/Handles.h"
#include "common/ModulePaths.h"

#include <shlwapi.h>

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

std::string LogLockName(const std::string& path) {
    std::string name = path;
    // Object names may not hold backslashes; paths are alike in any case.
    if (!name.empty())
        (void)CharLowerBuffA(&name[0], static_cast<DWORD>(name.size()));
    for (char& c : name)
        if (c == '\\')
            c = '/';
    return "Local\\RunLog:" + name;
}

namespace {

// Long enough for any copy to measure, turn and append; short enough that a
// copy hung while holding the lock costs a line's order, never a hang.
constexpr DWORD kLogLockWaitMs = 1000;

// Taken for the measure, the turn and the append.
class CLogLock {
public:
    explicit CLogLock(const std::string& path) {
        m_mutex.reset(CreateMutexA(nullptr, FALSE, LogLockName(path).c_str()));
        if (!m_mutex)
            return;
        const DWORD waited = WaitForSingleObject(m_mutex.get(), kLogLockWaitMs);
        // An abandoned lock is ours: its holder ended in the middle of a line.
        m_held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    ~CLogLock() {
        if (m_held)
            (void)ReleaseMutex(m_mutex.get());
    }
    CLogLock(const CLogLock&) = delete;
    CLogLock& operator=(const CLogLock&) = delete;

    bool Held() const { return m_held; }

private:
    UniqueKernelHandle m_mutex;
    bool m_held = false;
};

HANDLE OpenForAppending(const std::string& path) {
    // No waiting on a file someone holds without sharing: the line is lost.
    return CreateFileA(path.c_str(), FILE_APPEND_DATA,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

ULONGLONG SizeOf(HANDLE file) {
    LARGE_INTEGER size = {};
    return GetFileSizeEx(file, &size) ? static_cast<ULONGLONG>(size.QuadPart) : 0;
}

bool WriteWhole(HANDLE file, const std::string& text) {
    DWORD written = 0;
    return WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

// Whether the file at `path`, `size` bytes long, ends with `tail`.
bool EndsWith(const std::string& path, ULONGLONG size, const std::string& tail) {
    if (size < tail.size())
        return false;
    UniqueKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER at = {};
    at.QuadPart = static_cast<LONGLONG>(size - tail.size());
    std::string end(tail.size(), '\0');
    DWORD read = 0;
    return file && SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) &&
           ReadFile(file.get(), &end[0], static_cast<DWORD>(end.size()), &read, nullptr) &&
           read == end.size() && end == tail;
}

} // namespace

bool AppendLogLine(const std::string& path, const std::string& line, ULONGLONG rotateBytes) {
    const CLogLock lock(path);
    UniqueKernelHandle file(OpenForAppending(path));
    if (!file)
        return false;
    ULONGLONG size = SizeOf(file.get());
    // Without the lock the line is appended but the log not turned: a turn
    // is only safe when no other copy can be turning it too.
    if (lock.Held() && size >= rotateBytes) {
        file.reset();
        // When the rename fails (the old file is held open), the log goes on
        // growing, up to its cap, rather than losing lines.
        (void)MoveFileExA(path.c_str(), (path + ".1").c_str(), MOVEFILE_REPLACE_EXISTING);
        file.reset(OpenForAppending(path));
        if (!file)
            return false;
        size = SizeOf(file.get());
    }
    const std::string name = PathFindFileNameA(path.c_str());
    const std::string note = "the log stops here: it has reached twice its bound and cannot be "
                             "turned (another program holds " +
                             name + " or " + name +
                             ".1 open, or another copy of Snap is turning it); it goes on once "
                             "it can be\r\n";
    // Once it has said why it stops, it stays stopped until it can be turned:
    // a shorter line that would still fit must not follow the note.
    if (size >= rotateBytes && EndsWith(path, size, note))
        return false;
    const std::string whole = line + "\r\n";
    if (size + whole.size() <= kLogCapFactor * rotateBytes)
        return WriteWhole(file.get(), whole);

    // Full: the last line says why the log stops, once.
    {
        SYSTEMTIME now;
        GetLocalTime(&now);
        (void)WriteWhole(file.get(), LogTimestamp(now) + "  " + note);
    }
    return false;
}

void WriteLogLine(const std::string& text) {
    if (!LogWanted())
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    // One event, one line, whatever the text quotes.
    (void)AppendLogLine(LogFilePath(), LogTimestamp(now) + "  " + OnOneLine(text), kLogRotateBytes);
}
