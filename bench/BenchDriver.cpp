// BenchDriver: the Windows side of bench/run.sh. Everything it records is on
// the performance counter's clock, the one the stand-in camera library and the
// stand-in imaging application write in their logs, so times subtract across
// processes.
//
//   BenchDriver ini <file>
//       writes Snap's settings for the benchmark: step by step, one button
//       click on the "Capture" button two panels deep in the imaging
//       application (found by its window class and a stored path)
//   BenchDriver floor-target
//       prints the floor program's target, a button beside Snap's at the
//       same depth: "<window> <path>", its command line after the settings file
//   BenchDriver presses <imager log> <count> <out> <Snap's camera folder> [<floor's camera folder>]
//       presses the camera button <count> times, each at a random moment; with
//       two folders both libraries are pressed at the same moment, and each
//       press's two deliveries are told apart by the control clicked. Writes
//       per press: index, trigger start, trigger written, then for Snap and
//       the floor the library's call that answered the press and the imaging
//       application's receipt of the click
//   BenchDriver breakdown <settings copy> <scratch folder> <imager title> <imager log> <out>
//       times the pieces a press goes through: profile reads and writes on a
//       copy of Snap's settings file, the window search, calls of the library
//       (a copy in the scratch folder), and a message posted straight to the
//       imaging application until it has logged it
// Results go to <out> as tab-separated text; progress goes to the console.
#include "FloorTarget.h"
#include "settings/StoredText.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr UINT kDirectMessage = 0x600; // what the driver posts itself
constexpr DWORD kDeliveryTimeoutMs = 3000;

// The imaging application's window, at its reference client size, and the two
// buttons clicked: "Capture" (211) for Snap and "Live" (212) for the floor,
// both in the panel 210 inside the panel 200 (the 4th child of the main
// window, whose 3rd child is 210). Their centres, in the main window's client
// area: 211 at 330..430 x 40..70, 212 at 330..430 x 80..110.
constexpr const char* kImagerWindow = "800;600;KelvraImagerStandIn";
constexpr const char* kSnapPath = "4;3;380;55";
constexpr const char* kFloorPath = "4;3;380;95";
constexpr const char* kClickReceiver = "panel:210";
constexpr const char* kSnapClickWParam = "0x000000D3";  // 211, BN_CLICKED
constexpr const char* kFloorClickWParam = "0x000000D4"; // 212, BN_CLICKED

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

// One line the imaging application is expected to log, and when it did.
struct CReceipt {
    const char* receiver;
    std::string event;  // "0x%04X" of the message
    const char* wParam; // null: any
    double time = -1;
};

CReceipt Expect(const char* receiver, UINT message, const char* wParam) {
    char event[16];
    std::snprintf(event, sizeof event, "0x%04X", message);
    return {receiver, event, wParam};
}

// Follows the log until every expected line has come (each one's first
// occurrence) or the time is up; those that never came keep a negative time.
void WaitForReceipts(LogFollower& log, std::vector<CReceipt>& expected, DWORD timeoutMs) {
    const double deadline = NowMs() + timeoutMs;
    size_t pending = expected.size();
    while (pending > 0 && NowMs() < deadline) {
        for (const std::string& line : log.NewLines()) {
            const std::vector<std::string> f = Fields(line);
            for (CReceipt& r : expected) {
                if (r.time < 0 && f.size() >= 4 && f[1] == r.receiver && f[2] == r.event &&
                    (!r.wParam || f[3] == r.wParam)) {
                    r.time = std::atof(f[0].c_str());
                    --pending;
                    break;
                }
            }
        }
        if (pending > 0)
            Sleep(3); // the time read is the log's: how soon it is seen does not matter
    }
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

// Snap's settings: one step-by-step step, a button click on the imaging
// application's window found by its class (no title), on the control the
// path leads to; beeps off, Snap's window away from the top left corner.
int WriteSettings(const std::string& path) {
    const std::string text =
        "[Param]\r\nStepByStep=1\r\nNoBeep=0\r\nPutInSysTray=0\r\nLittleIcon=0\r\nDelay=350\r\n" +
        StoredText("SoftPos") + "=" + StoredText("300;700") + "\r\n" + StoredText("Base") + "=" +
        StoredText(std::string(kImagerWindow) + "\t") + "\r\n" + StoredText("Destination") + "=" +
        StoredText(kSnapPath) + "\r\n" +
        "[Action]\r\nBTLive=0\r\nType=0\r\nType1=-1\r\n[Video]\r\nPilote=USB 28 Camera\r\n";
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

// One program's camera library under the driver: its press trigger, its log,
// and what the imaging application logs when that program delivers.
struct CPressedProgram {
    std::string pressPath;
    LogFollower camera;
    const char* clickWParam;
};

// The library's answer to this press: its first press line since the trigger,
// and a note when the log says something else.
const char* Detection(CPressedProgram& program, double start, double& detected) {
    detected = -1;
    int pressLines = 0;
    for (const std::string& line : program.camera.NewLines()) {
        const std::vector<std::string> f = Fields(line);
        if (f.size() >= 2 && (f[1] == "0" || f[1] == "2") && ++pressLines == 1)
            detected = std::atof(f[0].c_str());
    }
    // A call may begin just before the trigger and still take it; much
    // earlier, the press was not ours (the library's named event is shared).
    return detected < 0             ? "no press in the library's log"
           : pressLines > 1         ? "more than one press answered"
           : detected < start - 1.0 ? "answered before the trigger"
                                    : "";
}

int Presses(const std::string& imagerLog, int count, const std::string& outPath,
            const std::vector<std::string>& cameraFolders) {
    FILE* out = std::fopen(outPath.c_str(), "wb");
    if (!out)
        return 1;
    std::fprintf(out, "index\ttrigger_start\ttrigger_written\tsnap_detected\tsnap_delivered\t"
                      "floor_detected\tfloor_delivered\tnote\n");
    std::vector<CPressedProgram> programs;
    const char* const clicks[] = {kSnapClickWParam, kFloorClickWParam};
    for (size_t p = 0; p < cameraFolders.size() && p < 2; ++p)
        programs.push_back({cameraFolders[p] + "\\press",
                            LogFollower(cameraFolders[p] + "\\KelvraTouchSim.log", true),
                            clicks[p]});
    LogFollower imager(imagerLog, true);
    std::mt19937_64 random(static_cast<unsigned long long>(NowMs() * 1000));
    // Three poll intervals wide: wherever the last poll was, the press lands
    // at an evenly spread moment between two polls.
    std::uniform_real_distribution<double> delay(0.0, 150.0);
    int delivered = 0;
    for (int i = 1; i <= count; ++i) {
        WaitUntil(NowMs() + delay(random));
        for (CPressedProgram& program : programs)
            (void)program.camera.NewLines(); // the idle calls before the press
        const double start = NowMs();
        // Both triggers at once, first one then the other by turns, so that
        // neither program is always the one pressed a few microseconds later.
        bool created = true;
        for (size_t k = 0; k < programs.size(); ++k)
            created = CreatePressFile(programs[(k + i) % programs.size()].pressPath) && created;
        const double written = NowMs();
        if (!created) {
            std::fprintf(out, "%d\t-1\t-1\t-1\t-1\t-1\t-1\tpress file left over\n", i);
            for (CPressedProgram& program : programs)
                DeleteFileA(program.pressPath.c_str());
            continue;
        }
        std::vector<CReceipt> receipts;
        for (CPressedProgram& program : programs)
            receipts.push_back(Expect(kClickReceiver, WM_COMMAND, program.clickWParam));
        WaitForReceipts(imager, receipts, kDeliveryTimeoutMs);
        double detected[2] = {-1, -1}, receipt[2] = {-1, -1};
        std::string note;
        const char* const names[] = {"Snap", "floor"};
        for (size_t p = 0; p < programs.size(); ++p) {
            receipt[p] = receipts[p].time;
            const char* detection = Detection(programs[p], start, detected[p]);
            const char* problem = receipt[p] < 0 ? "not delivered" : detection;
            if (*problem)
                note += (note.empty() ? "" : "; ") + std::string(names[p]) + ": " + problem;
            if (receipt[p] < 0)
                DeleteFileA(programs[p].pressPath.c_str());
        }
        std::fprintf(out, "%d\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%s\n", i, start, written,
                     detected[0], receipt[0], detected[1], receipt[1], note.c_str());
        if (receipt[0] >= 0)
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

template <typename Action> std::vector<double> Time(int times, Action action) {
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
    static const char* const kPlacementKeys[] = {"length",
                                                 "flags",
                                                 "showCmd",
                                                 "ptMinPosition.x",
                                                 "ptMinPosition.y",
                                                 "ptMaxPosition.x",
                                                 "ptMaxPosition.y",
                                                 "rcNormalPosition.top",
                                                 "rcNormalPosition.left",
                                                 "rcNormalPosition.bottom",
                                                 "rcNormalPosition.right"};
    const auto writePlacement = [&](int value) {
        for (const char* key : kPlacementKeys)
            WritePrivateProfileStringA("WPlace", key, std::to_string(value).c_str(), file);
    };
    writePlacement(0);
    Report(out, "GetPrivateProfileStringA, one key", Time(300, [&](int) {
               GetPrivateProfileStringA("Video", "Pilote", "", buffer, sizeof buffer, file);
           }));
    Report(out, "GetPrivateProfileIntA, one key",
           Time(300, [&](int) { (void)GetPrivateProfileIntA("Param", "StepByStep", 0, file); }));
    Report(out, "GetPrivateProfileSectionA, the placement section", Time(300, [&](int) {
               GetPrivateProfileSectionA("WPlace", buffer, sizeof buffer, file);
           }));
    Report(out, "11 x WritePrivateProfileStringA, values changed",
           Time(100, [&](int i) { writePlacement(1 + i % 2); }));
    Report(out, "11 x WritePrivateProfileStringA, values unchanged",
           Time(100, [&](int) { writePlacement(2); }));
    // What Snap reads from the settings file between the library's answer
    // and the next poll for this benchmark's one-step click, in the order
    // Wine's profile trace shows (bench/run.sh counts them there): the run's
    // mode, the placement section, the whole step (its "Message" twice), the
    // beep, the look-ahead, the return to live. Encoded keys, as in the file.
    const std::string base = StoredText("Base"), destination = StoredText("Destination");
    Report(out, "Snap's settings reads on a press (4 strings, 1 section, 9 numbers)",
           Time(200, [&](int) {
               (void)GetPrivateProfileIntA("Param", "StepByStep", 0, file);
               GetPrivateProfileSectionA("WPlace", buffer, sizeof buffer, file);
               (void)GetPrivateProfileIntA("Action", "Type", 0, file);
               (void)GetPrivateProfileIntA("Action", "Message", 1024, file);
               (void)GetPrivateProfileIntA("Action", "Message", 0, file);
               (void)GetPrivateProfileIntA("Action", "WParam", 0, file);
               (void)GetPrivateProfileIntA("Action", "LParam", 0, file);
               GetPrivateProfileStringA("Action", "ExtApp", "", buffer, 256, file);
               GetPrivateProfileStringA("Action", "ExtAppParam", "", buffer, 256, file);
               GetPrivateProfileStringA("Param", base.c_str(), "", buffer, 256, file);
               GetPrivateProfileStringA("Param", destination.c_str(), "", buffer, 256, file);
               (void)GetPrivateProfileIntA("Param", "NoBeep", 0, file);
               (void)GetPrivateProfileIntA("Action", "Type1", -1, file);
               (void)GetPrivateProfileIntA("Action", "BTLive", 0, file);
           }));

    // The window search of one step: the top-level window by its class, the
    // path's two panels, then the visible child under the point, scaled to
    // the client area; what the floor does on every press, and Snap in its way.
    CFloorTarget target;
    if (ParseFloorTarget(kImagerWindow, kSnapPath, target))
        Report(out, "Window search for one step (FindWindowA by class, the path's walk)",
               Time(200, [&](int) { (void)FindFloorControl(target); }));

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
            std::vector<CReceipt> receipt = {Expect("main", kDirectMessage, wParam)};
            WaitForReceipts(log, receipt, kDeliveryTimeoutMs);
            if (receipt[0].time >= 0)
                latencies.push_back(receipt[0].time - start);
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
    if (command == "ini" && argc == 3)
        return WriteSettings(argv[2]);
    if (command == "floor-target" && argc == 2) {
        std::printf("%s %s\n", kImagerWindow, kFloorPath);
        return 0;
    }
    if (command == "presses" && (argc == 6 || argc == 7))
        return Presses(argv[2], std::atoi(argv[3]), argv[4],
                       std::vector<std::string>(argv + 5, argv + argc));
    if (command == "breakdown" && argc == 7)
        return Breakdown(argv[2], argv[3], argv[4], argv[5], argv[6]);
    std::fprintf(stderr, "usage: BenchDriver ini|presses|breakdown ... (see the source)\n");
    return 2;
}
