#pragma once
// The logs that the stand-in programs write, read back as records, and the
// stand-in imaging application run for a test.
#include "ChildProcess.h"
#include "TestFiles.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// One line of the stand-in imaging application's log.
struct ImagerEvent {
    double timeMs;
    std::string receiver; // "main", "panel:200", "canvas:500", "button:101"
    std::string event;    // "0x0111", "start", "size"
    std::string wParam;
    std::string lParam;

    unsigned long long WParam() const { return std::stoull(wParam, nullptr, 16); }
    unsigned long long LParam() const { return std::stoull(lParam, nullptr, 16); }
    unsigned Message() const { return static_cast<unsigned>(std::stoul(event, nullptr, 16)); }
    bool IsMessage() const { return event.rfind("0x", 0) == 0; }
};

// One call into the stand-in camera library.
struct CameraCall {
    double timeMs;
    int result;
    std::string source;
};

std::vector<ImagerEvent> ReadImagerLog(const std::string& path);
std::vector<CameraCall> ReadCameraLog(const std::string& path);

// Waits (generously) until `done` holds for what `read` gives, reading again
// whenever the folder of `path` reports a change.
template <typename Record>
std::vector<Record> WaitForRecords(const std::string& path,
                                   std::function<std::vector<Record>()> read,
                                   std::function<bool(const std::vector<Record>&)> done,
                                   DWORD timeoutMs = 30000) {
    const std::string folder = path.substr(0, path.find_last_of('\\'));
    HANDLE change = FindFirstChangeNotificationA(
        folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE |
                                   FILE_NOTIFY_CHANGE_FILE_NAME);
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    std::vector<Record> records = read();
    while (!done(records) && GetTickCount64() < deadline) {
        // The notification is the signal; the short cap only guards against a
        // change that landed between the read and the wait.
        if (change != INVALID_HANDLE_VALUE) {
            WaitForSingleObject(change, 100);
            FindNextChangeNotification(change);
        } else {
            Sleep(20);
        }
        records = read();
    }
    if (change != INVALID_HANDLE_VALUE)
        FindCloseChangeNotification(change);
    return records;
}

// The stand-in imaging application's own view of the cursor, in its own
// units (scaled to its DPI awareness, as it reads a click's coordinates).
struct CursorView {
    bool told = false;    // the stand-in answered
    std::string receiver; // the window asked about: "main", "canvas:500", ...
    POINT point = {};     // the cursor in that window's client area
    SIZE client = {};     // that client area's size
};

// A click's coordinates as a posted WM_LBUTTONDOWN/UP carries them.
POINT PointOfLParam(unsigned long long lParam);

// The stand-in imaging application, started with its own log and title.
class StandInImager {
public:
    explicit StandInImager(const std::string& folder, const std::string& title,
                           const std::string& extraArguments = "");
    ~StandInImager();

    HWND Window() const { return m_window; }
    // Ends it at once (a hung one would not close).
    void Terminate() { m_process->Terminate(); }
    const std::string& LogPath() const { return m_log; }
    std::vector<ImagerEvent> Events() const { return ReadImagerLog(m_log); }
    // The messages received so far (not the start and size lines).
    std::vector<ImagerEvent> Messages() const;
    // Waits until at least `count` messages were received.
    std::vector<ImagerEvent> WaitForMessages(size_t count, DWORD timeoutMs = 30000) const;
    // Asks where the cursor lies in its window `id` (0: the main window), as
    // the program itself sees it, and waits for the answer in its record.
    CursorView CursorAsItSeesIt(int id = 0) const;

    static constexpr const char* kClassName = "KelvraImagerStandIn";

private:
    std::string m_log;
    std::unique_ptr<ChildProcess> m_process;
    HWND m_window = nullptr;
};

std::string BuiltStandInImager();
