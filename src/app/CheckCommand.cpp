#include "CheckCommand.h"

#include "StepCheck.h"
#include "common/Handles.h"
#include "common/ModulePaths.h"
#include "engine/CameraButtonLibrary.h"
#include "settings/SettingsFile.h"
#include "targeting/WindowOwner.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

constexpr int kExitResolved = 0;
constexpr int kExitNotResolved = 1;

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Which file the resident program would read, found without making or
// copying anything.
struct SettingsInUse {
    std::string path;
    std::vector<std::string> notes;
    std::string reportFolder; // where the log lives too
    bool readable = true;
};

SettingsInUse ChooseSettings() {
    const SettingsFileLocation where = LocateOwnSettingsFile();
    const SettingsFileDecision decision = DecideSettingsFile(where);
    SettingsInUse settings;
    settings.path = decision.path;
    switch (decision.choice) {
    case SettingsChoice::UserFile:
        break;
    case SettingsChoice::NoLocalAppData:
        settings.notes.push_back("The local application data folder is unknown: Snap uses the "
                                 "file beside the program.");
        break;
    case SettingsChoice::FolderBlocked:
        settings.notes.push_back("Snap's folder " + Quoted(where.userFolder) +
                                 " cannot be made: Snap uses the file beside the program.");
        break;
    case SettingsChoice::Seeded:
        settings.notes.push_back("The per-user settings file " + Quoted(where.userPath) +
                                 " does not exist yet: Snap makes it from " +
                                 Quoted(where.templatePath) +
                                 " when it starts. This check reads that file.");
        // What the per-user file will hold is the template's.
        settings.path = where.templatePath;
        break;
    case SettingsChoice::NoTemplate:
        settings.notes.push_back("Neither the per-user settings file nor " +
                                 Quoted(where.templatePath) +
                                 " exists: every setting has its default.");
        break;
    }
    settings.reportFolder =
        decision.path == where.templatePath ? FolderOf(where.templatePath) : where.userFolder;
    if (IsFolder(settings.path) || IsFile(settings.path)) {
        UniqueKernelHandle file(CreateFileA(settings.path.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                            nullptr));
        if (!file) {
            settings.readable = false;
            settings.notes.push_back(
                FormatText("The settings file cannot be read (system error %lu).", GetLastError()));
        }
    }
    return settings;
}

// The camera library the resident program would use, or why it could not.
// The library is loaded as the program would load it, then let go; its entry
// point is never called.
std::string CameraLibraryLine() {
    RefusedLibrary refused;
    const UniqueModule library(LoadCameraButtonLibrary(&refused));
    const std::string problem = CameraLibraryProblem(library.get(), refused);
    if (problem.empty())
        return "Camera library: " + ModulePath(library.get());
    return "Camera library: " + problem + "; " + ApplicationName() + " ends when started";
}

std::string StepName(int index) {
    return FormatText("Action #%2.2d", index + 1);
}

std::string LocalTime() {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    return FormatText("%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                      now.wMinute, now.wSecond);
}

// The steps in words; whether all of them resolve.
bool CheckSteps(CCheckReport& report) {
    std::vector<std::string> failures;
    int checked = 0;
    for (int index = 0; index < kStepCount; ++index) {
        const ActionStep step = ReadActionStep(index, StepKeys::InUse);
        report.Line();
        if (step.type == static_cast<int>(ActionType::None)) {
            report.Line(StepName(index) + ": None: the sequence ends here.");
            break;
        }
        ++checked;
        report.Line(StepName(index) + ": " + StepTypeWithCode(step.type));
        const std::string cause = CheckStep(report, step, index);
        if (cause.empty()) {
            report.Line("  Result: resolves");
        } else {
            report.Line("  Result: does not resolve: " + cause + ".");
            failures.push_back(StepName(index) + ": " + cause + ".");
        }
    }
    report.Line();
    if (checked == 0) {
        report.Line("No step is configured: a press does nothing. Exit code 1.");
        return false;
    }
    if (failures.empty()) {
        report.Line(FormatText("Every step resolves (%d checked). Exit code 0.", checked));
        return true;
    }
    report.Line(FormatText("%d of %d steps do not resolve. Exit code 1.",
                           static_cast<int>(failures.size()), checked));
    for (const std::string& failure : failures)
        report.Line("  " + failure);
    return false;
}

std::wstring WideFromAnsi(const std::string& text) {
    if (text.empty())
        return std::wstring();
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        (void)MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                  wide.data(), length);
    return wide;
}

// The console or file that the report is printed to, when there is one.
class Printer {
public:
    Printer() {
        const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
        // A file or a pipe given by the caller (a redirection, a test) is used
        // as it is; a program of the windows subsystem has no console of its
        // own, so it borrows the one it was started from.
        if (output && output != INVALID_HANDLE_VALUE && GetFileType(output) != FILE_TYPE_UNKNOWN) {
            m_output = output;
        } else if (AttachConsole(ATTACH_PARENT_PROCESS)) {
            m_console.reset(CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        0, nullptr));
            m_output = m_console.get();
            // The prompt came back before the report: start on a line of its own.
            Print("\r\n");
        }
    }
    void Print(const std::string& text) const {
        if (!m_output || m_output == INVALID_HANDLE_VALUE)
            return;
        DWORD written = 0;
        DWORD mode = 0;
        if (GetConsoleMode(m_output, &mode)) {
            // A console shows its own code page, which is seldom the
            // program's (850 beside 1252): it is given the text as characters,
            // so accented and double-byte titles read as they are.
            const std::wstring wide = WideFromAnsi(text);
            (void)WriteConsoleW(m_output, wide.data(), static_cast<DWORD>(wide.size()), &written,
                                nullptr);
            return;
        }
        // A file or a pipe keeps the program's code page, as the report file does.
        (void)WriteFile(m_output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }

private:
    HANDLE m_output = nullptr;
    UniqueKernelHandle m_console;
};

// The system's error code when the file could not be written, else 0.
DWORD WriteReportFile(const std::string& path, const std::string& text) {
    UniqueKernelHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file ||
        !WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
        return GetLastError();
    return written == text.size() ? 0 : ERROR_WRITE_FAULT;
}

} // namespace

bool IsCheckCommand(const char* arguments) {
    if (!arguments)
        return false;
    std::string text = arguments;
    const size_t first = text.find_first_not_of(" \t");
    const size_t last = text.find_last_not_of(" \t");
    text = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    return lstrcmpiA(text.c_str(), "/check") == 0 || lstrcmpiA(text.c_str(), "-check") == 0;
}

int RunCheck() {
    const SettingsInUse settings = ChooseSettings();
    // Every read below goes to this file as it is: the check changes nothing
    // of the user's.
    UseSettingsFileAsIs(settings.path);

    const std::string reportPath =
        JoinPath(settings.reportFolder, ApplicationName() + "-check.txt");
    CCheckReport report;
    report.Line(ApplicationName() + " check, " + LocalTime());
    report.Line("Program: " + ExecutablePath() + ", integrity level " +
                IntegrityLevelName(OwnIntegrityLevel()));
    report.Line("Settings file: " + settings.path);
    for (const std::string& note : settings.notes)
        report.Line("  " + note);
    report.Line(CameraLibraryLine());
    report.Line("Report: " + reportPath);
    report.Line("Nothing is posted, clicked or launched by this check.");

    bool resolved = false;
    if (settings.readable) {
        resolved = CheckSteps(report);
    } else {
        report.Line();
        report.Line("The steps cannot be checked. Exit code 1.");
    }

    const Printer printer;
    // The folder is Snap's own (start-up makes it too); the settings file in
    // it is left alone.
    (void)CreateDirectoryA(settings.reportFolder.c_str(), nullptr);
    if (const DWORD error = WriteReportFile(reportPath, report.Text()))
        printer.Print(FormatText("(%s could not be written: system error %lu)\r\n",
                                 reportPath.c_str(), error));
    printer.Print(report.Text());
    return resolved ? kExitResolved : kExitNotResolved;
}
