// BenchDriver: the Windows side of bench/run.sh. Everything it records is on
// the performance counter's clock, the one the stand-in camera library and the
// stand-in imaging application write in their logs, so times subtract across
// processes.
//
//   BenchDriver ini <file> <imager title>
//       writes Snap's settings for the benchmark: step by step, one step that
//       posts 0x500 to the imaging application's main window
//   BenchDriver presses <camera folder> <imager log> <count> <out>
//       presses the camera button <count> times, each at a random moment, and
//       writes per press: index, trigger start, trigger written, the library's
//       call that answered the press, the imaging application's receipt
//   BenchDriver breakdown <settings copy> <scratch folder> <imager title> <imager log> <out>
//       times the pieces a press goes through: profile reads and writes on a
//       copy of Snap's settings file, the window search, calls of the library
//       (a copy in the scratch folder), and a message posted straight to the
//       imaging application until it has logged it
// Results go to <out> as tab-separated text; progress goes to the console.
#include "settings/StoredText.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr UINT kStepMessage = 0x500;   // what Snap's one step posts
constexpr UINT kDirectMessage = 0x600; // what the driver posts itself
constexpr DWORD kDeliveryTimeoutMs = 3000;

double NowMs() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / frequency;
}

// Sleeps most of the way and spins the last stretch, so a moment is hit to a
// few microseconds rather than to the scheduler's millisecond.
void WaitUntil(double momentMs) {
    for (double left = momentMs - NowMs(); left > 2.0; left = momentMs - NowMs())
        Sleep(static_cast<DWORD>(left - 1.5));
    while (NowMs() < momentMs) {
    }
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    size_t at = 0;
    for (size_t tab; (tab = line.find('\t', at)) != std::string::npos; at = tab + 1)
        fields.push_back(line.substr(at, tab - at));
    fields.push_back(line.substr(at));
    return fields;
}

// Reads the lines other processes append to a log, without ever keeping the
// file open (the writers open and close it for every line).
class LogFollower {
public:
    LogFollower(std::string path, bool skipExisting) : m_path(std::move(path)) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (skipExisting && GetFileAttributesExA(m_path.c_str(), GetFileExInfoStandard, &data))
            m_offset = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }

    // Complete lines added since the last call, without their line ends.
    std::vector<std::string> NewLines() {
        std::vector<std::string> lines;
        HANDLE file = CreateFileA(m_path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return lines;
        LARGE_INTEGER size = {};
        if (GetFileSizeEx(file, &size) && static_cast<ULONGLONG>(size.QuadPart) > m_offset) {
            std::string data(static_cast<size_t>(static_cast<ULONGLONG>(size.QuadPart) - m_offset),
                             '\0');
            LARGE_INTEGER from;
            from.QuadPart = static_cast<LONGLONG>(m_offset);
            DWORD read = 0;
            if (SetFilePointerEx(file, from, nullptr, FILE_BEGIN) &&
                ReadFile(file, &data[0], static_cast<DWORD>(data.size()), &read, nullptr)) {
                m_offset += read;
                m_partial.append(data, 0, read);
            }
        }
        CloseHandle(file);
        for (size_t end; (end = m_partial.find('\n')) != std::string::npos;) {
            std::string line = m_partial.substr(0, end);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
            m_partial.erase(0, end + 1);
        }
        return lines;
    }

private:
    std::string m_path;
    ULONGLONG m_offset = 0;
    std::string m_partial;
};

// The time of the imaging application's next "main" line for this message
// (and this wParam, when given); negative when none came in time.
double WaitForReceipt(LogFollower& log, UINT message, const char* wParam, DWORD timeoutMs) {
    char event[16];
    std::snprintf(event, sizeof event, "0x%04X", message);
    const double deadline = NowMs() + timeoutMs;
    while (NowMs() < deadline) {
        for (const std::string& line : log.NewLines()) {
            const std::vector<std::string> f = Fields(line);
            if (f.size() >= 4 && f[1] == "main" && f[2] == event && (!wParam || f[3] == wParam))
                return std::atof(f[0].c_str());
        }
        Sleep(3); // the time read is the log's: how soon it is seen does not matter
    }
    return -1;
}

std::string StoredText(std::string text) {
    EncodeStoredText(text);
    return text;
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

// Snap's settings: one step-by-step step posting 0x500 to the main window of
// the imaging application with this title (the "Capture" button's point: a
// button's messages go to its parent, the main window), beeps off, Snap's
// window away from the top left corner.
int WriteSettings(const std::string& path, const std::string& imagerTitle) {
    const std::string text =
        "[Param]\r\nStepByStep=1\r\nNoBeep=0\r\nPutInSysTray=0\r\nLittleIcon=0\r\nDelay=350\r\n" +
        StoredText("SoftPos") + "=" + StoredText("300;700") + "\r\n" + StoredText("Base") + "=" +
        StoredText("800;600;KelvraImagerStandIn\t" + imagerTitle) + "\r\n" +
        StoredText("Destination") + "=" + StoredText("80;35") + "\r\n" +
        "[Action]\r\nBTLive=0\r\nType=3\r\nMessage=" + std::to_string(kStepMessage) +
        "\r\nType1=-1\r\n[Video]\r\nPilote=USB 28 Camera\r\n";
    return WriteWholeFile(path, text) ? 0 : 1;
}

// A press exactly as the library's controls define it: the file "press"
// appears, and the library takes it at its next call.
bool CreatePressFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

int Presses(const std::string& cameraFolder, const std::string& imagerLog, int count,
            const std::string& outPath) {
    FILE* out = std::fopen(outPath.c_str(), "wb");
    if (!out)
        return 1;
    std::fprintf(out, "index\ttrigger_start\ttrigger_written\tdetected\tdelivered\tnote\n");
    const std::string pressPath = cameraFolder + "\\press";
    LogFollower camera(cameraFolder + "\\KelvraTouchSim.log", true);
    LogFollower imager(imagerLog, true);
    std::mt19937_64 random(static_cast<unsigned long long>(NowMs() * 1000));
    // Three poll intervals wide: wherever the last poll was, the press lands
    // at an evenly spread moment between two polls.
    std::uniform_real_distribution<double> delay(0.0, 150.0);
    int delivered = 0;
    for (int i = 1; i <= count; ++i) {
        WaitUntil(NowMs() + delay(random));
        (void)camera.NewLines(); // the idle calls before the press
        const double start = NowMs();
        if (!CreatePressFile(pressPath)) {
            std::fprintf(out, "%d\t-1\t-1\t-1\t-1\tpress file left over\n", i);
            DeleteFileA(pressPath.c_str());
            continue;
        }
        const double written = NowMs();
        const double receipt = WaitForReceipt(imager, kStepMessage, nullptr, kDeliveryTimeoutMs);
        // The library's answer to this press: its first press line since the trigger.
        double detected = -1;
        int pressLines = 0;
        for (const std::string& line : camera.NewLines()) {
            const std::vector<std::string> f = Fields(line);
            if (f.size() >= 2 && (f[1] == "0" || f[1] == "2") && ++pressLines == 1)
                detected = std::atof(f[0].c_str());
        }
        // A call may begin just before the trigger and still take it; much
        // earlier, the press was not ours (the library's named event is shared).
        const char* note = receipt < 0              ? "not delivered"
                           : detected < 0           ? "no press in the library's log"
                           : pressLines > 1         ? "more than one press answered"
                           : detected < start - 1.0 ? "answered before the trigger"
                                                    : "";
        std::fprintf(out, "%d\t%.3f\t%.3f\t%.3f\t%.3f\t%s\n", i, start, written, detected, receipt,
                     note);
        if (receipt < 0)
            DeleteFileA(pressPath.c_str());
        else
            ++delivered;
        if (i % 50 == 0)
            std::printf("  %d presses, %d delivered\n", i, delivered);
    }
    std::fclose(out);
    return 0;
}

// Median and 99th percentile (nearest rank) in ms, and the number of samples.
void Report(FILE* out, const char* what, std::vector<double> samples) {
    if (samples.empty()) {
        std::fprintf(out, "%s\t-\t-\t0\n", what);
        return;
    }
    std::sort(samples.begin(), samples.end());
    const auto rank = [&](double p) {
        const size_t r = static_cast<size_t>(p * static_cast<double>(samples.size()) + 0.999999);
        return samples[std::min(samples.size(), std::max<size_t>(r, 1)) - 1];
    };
    std::fprintf(out, "%s\t%.3f\t%.3f\t%u\n", what, rank(0.5), rank(0.99),
                 static_cast<unsigned>(samples.size()));
}

template <typename Action>
std::vector<double> Time(int times, Action action) {
    std::vector<double> samples;
    for (int i = 0; i < times; ++i) {
        const double start = NowMs();
        action(i);
        samples.push_back(NowMs() - start);
    }
    return samples;
}

int Breakdown(const std::string& settings, const std::string& scratch,
              const std::string& imagerTitle, const std::string& imagerLog,
              const std::string& outPath) {
    FILE* out = std::fopen(outPath.c_str(), "wb");
    if (!out)
        return 1;
    std::fprintf(out, "what\tmedian_ms\tp99_ms\tsamples\n");
    const char* file = settings.c_str();
    char buffer[4096];

    // The placement Snap saves before every step: these 11 keys.
    static const char* const kPlacementKeys[] = {
        "length", "flags", "showCmd", "ptMinPosition.x", "ptMinPosition.y", "ptMaxPosition.x",
        "ptMaxPosition.y", "rcNormalPosition.top", "rcNormalPosition.left",
        "rcNormalPosition.bottom", "rcNormalPosition.right"};
    const auto writePlacement = [&](int value) {
        for (const char* key : kPlacementKeys)
            WritePrivateProfileStringA("WPlace", key, std::to_string(value).c_str(), file);
    };
    writePlacement(0);
    Report(out, "GetPrivateProfileStringA, one key", Time(300, [&](int) {
               GetPrivateProfileStringA("Video", "Pilote", "", buffer, sizeof buffer, file);
           }));
    Report(out, "GetPrivateProfileIntA, one key", Time(300, [&](int) {
               (void)GetPrivateProfileIntA("Param", "StepByStep", 0, file);
           }));
    Report(out, "GetPrivateProfileSectionA, the placement section", Time(300, [&](int) {
               GetPrivateProfileSectionA("WPlace", buffer, sizeof buffer, file);
           }));
    Report(out, "11 x WritePrivateProfileStringA, values changed",
           Time(100, [&](int i) { writePlacement(1 + i % 2); }));
    Report(out, "11 x WritePrivateProfileStringA, values unchanged",
           Time(100, [&](int) { writePlacement(2); }));
    // What Snap reads from the settings file between the library's answer
    // and the message, as the code is: the run's mode, the placement section,
    // the step's type, window and target, the message and its parameters,
    // the beep, the next step, the return to live. Encoded keys, as in the file.
    const std::string base = StoredText("Base"), destination = StoredText("Destination");
    Report(out, "Snap's settings reads after the answer (2 strings, 1 section, 8 numbers)",
           Time(200, [&](int) {
               (void)GetPrivateProfileIntA("Param", "StepByStep", 0, file);
               GetPrivateProfileSectionA("WPlace", buffer, sizeof buffer, file);
               (void)GetPrivateProfileIntA("Action", "Type", 0, file);
               GetPrivateProfileStringA("Param", base.c_str(), "", buffer, 256, file);
               GetPrivateProfileStringA("Param", destination.c_str(), "", buffer, 256, file);
               (void)GetPrivateProfileIntA("Action", "Message", 1024, file);
               (void)GetPrivateProfileIntA("Action", "WParam", 0, file);
               (void)GetPrivateProfileIntA("Action", "LParam", 0, file);
               (void)GetPrivateProfileIntA("Param", "NoBeep", 0, file);
               (void)GetPrivateProfileIntA("Action", "Type1", -1, file);
               (void)GetPrivateProfileIntA("Action", "BTLive", 0, file);
           }));

    // The window search of one step as Snap makes it: the top-level window by
    // its title, then a walk of its children for the visible one under the
    // stored point ("Capture", 80;35 of 800x600), scaled to the client area.
    Report(out, "Snap's window search for one step (FindWindowA by title, walk of the children)",
           Time(200, [&](int) {
               HWND top = FindWindowA(nullptr, imagerTitle.c_str());
               RECT client = {};
               GetClientRect(top, &client);
               const POINT point = {MulDiv(80, client.right, 800), MulDiv(35, client.bottom, 600)};
               HWND control = nullptr;
               for (HWND child = GetWindow(top, GW_CHILD); child;
                    child = GetWindow(child, GW_HWNDNEXT)) {
                   RECT area = {};
                   GetWindowRect(child, &area);
                   MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&area), 2);
                   if (PtInRect(&area, point) && IsWindowVisible(child))
                       control = child;
               }
               (void)GetParent(control);
           }));

    // The library itself: a copy with its own control folder and log.
    HMODULE library = LoadLibraryA((scratch + "\\KelvraTouch.dll").c_str());
    using CameraButtonProc = int(__cdecl*)(const char*);
    const auto cameraButton = library ? reinterpret_cast<CameraButtonProc>(reinterpret_cast<void*>(
                                            GetProcAddress(library, "fnKelvraTouch")))
                                      : nullptr;
    if (cameraButton) {
        Report(out, "fnKelvraTouch, no press (stand-in, logging)",
               Time(300, [&](int) { (void)cameraButton("USB 28 Camera"); }));
        const std::string press = scratch + "\\press";
        std::vector<double> pressed;
        for (int i = 0; i < 100; ++i) {
            CreatePressFile(press);
            const double start = NowMs();
            (void)cameraButton("USB 28 Camera");
            pressed.push_back(NowMs() - start);
        }
        Report(out, "fnKelvraTouch, taking a press (stand-in, logging)", pressed);
    }

    // A message posted straight to the imaging application, until it has
    // logged it: the part of delivery that is not Snap's.
    HWND imager = FindWindowA("KelvraImagerStandIn", imagerTitle.c_str());
    if (imager) {
        LogFollower log(imagerLog, true);
        std::vector<double> latencies;
        for (int i = 0; i < 100; ++i) {
            char wParam[16];
            std::snprintf(wParam, sizeof wParam, "0x%08X", i);
            const double start = NowMs();
            PostMessageA(imager, kDirectMessage, static_cast<WPARAM>(i), 0);
            const double receipt = WaitForReceipt(log, kDirectMessage, wParam, kDeliveryTimeoutMs);
            if (receipt >= 0)
                latencies.push_back(receipt - start);
            Sleep(20);
        }
        Report(out, "PostMessageA to the imaging application until logged", latencies);
    }
    std::fclose(out);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "ini" && argc == 4)
        return WriteSettings(argv[2], argv[3]);
    if (command == "presses" && argc == 6)
        return Presses(argv[2], argv[3], std::atoi(argv[4]), argv[5]);
    if (command == "breakdown" && argc == 7)
        return Breakdown(argv[2], argv[3], argv[4], argv[5], argv[6]);
    std::fprintf(stderr, "usage: BenchDriver ini|presses|breakdown ... (see the source)\n");
    return 2;
}
