#include "CheckCommand.h"

#include "common/Handles.h"
#include "common/ModulePaths.h"
#include "engine/ActionExecution.h"
#include "engine/ActionStep.h"
#include "settings/SettingsFile.h"
#include "targeting/TargetPaths.h"
#include "targeting/WindowOwner.h"

#include <windows.h>
#include <mmsystem.h>
#include <shlwapi.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kExitResolved = 0;
constexpr int kExitNotResolved = 1;

// Messages the steps post whose parameters are fixed.
constexpr WPARAM kJoystick1Down = JOY_BUTTON1CHG | JOY_BUTTON1;
constexpr WPARAM kJoystick1Up = JOY_BUTTON1CHG;
constexpr WPARAM kJoystick2Down = JOY_BUTTON2CHG | JOY_BUTTON2;
constexpr WPARAM kJoystick2Up = JOY_BUTTON2CHG;
constexpr LPARAM kJoystickPosition = 0x000A000A; // x = 10, y = 10

std::string Format(const char* format, ...) {
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string Hex(ULONG_PTR value) {
    return Format("0x%08lX", static_cast<unsigned long>(value));
}

// What the "Function" group of the settings dialog calls each type.
std::string TypeName(int type) {
    static const char* const kNames[] = {"None",
                                         "Button click",
                                         "Button double click",
                                         "Send WM_COMMAND",
                                         "Send Message",
                                         "Joystick button 1 down",
                                         "Joystick button 1 up",
                                         "Joystick button 2 down",
                                         "Joystick button 2 up",
                                         "Mouse click",
                                         "External launcher"};
    if (!IsKnownStepType(type))
        return Format("unknown type %d", type);
    return Format("%s (type %d)", kNames[type + 1], type);
}

std::string MessageName(UINT message) {
    const char* name = nullptr;
    switch (message) {
    case WM_COMMAND:
        name = "WM_COMMAND";
        break;
    case MM_JOY1BUTTONDOWN:
        name = "MM_JOY1BUTTONDOWN";
        break;
    case MM_JOY1BUTTONUP:
        name = "MM_JOY1BUTTONUP";
        break;
    case MM_JOY2BUTTONDOWN:
        name = "MM_JOY2BUTTONDOWN";
        break;
    case MM_JOY2BUTTONUP:
        name = "MM_JOY2BUTTONUP";
        break;
    case WM_LBUTTONDOWN:
        name = "WM_LBUTTONDOWN";
        break;
    case WM_LBUTTONUP:
        name = "WM_LBUTTONUP";
        break;
    }
    if (name)
        return Format("%s (0x%04X)", name, message);
    if (message >= WM_USER && message < WM_APP)
        return Format("WM_USER+%u (0x%04X)", message - WM_USER, message);
    if (message >= WM_APP && message < 0xC000)
        return Format("WM_APP+%u (0x%04X)", message - WM_APP, message);
    return Format("message 0x%04X", message);
}

std::string WindowText(HWND window) {
    // For another program's window this reads the text the system keeps; it
    // sends that program nothing.
    char text[512] = "";
    (void)GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassName(HWND window) {
    char name[256] = "";
    (void)GetClassNameA(window, name, sizeof name);
    return name;
}

std::string DescribeHandle(HWND window) {
    if (window == HWND_BROADCAST)
        return "all top-level windows (HWND_BROADCAST)";
    return Format("window %s, class %s, text %s", Hex(reinterpret_cast<ULONG_PTR>(window)).c_str(),
                  Quoted(ClassName(window)).c_str(), Quoted(WindowText(window)).c_str());
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The report as it is written, line by line.
class Report {
public:
    void Line(const std::string& text = "") { m_text += text + "\r\n"; }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

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
    SettingsInUse settings;
    if (where.userPath.empty()) {
        settings.path = where.templatePath;
        settings.notes.push_back("The local application data folder is unknown: Snap uses the "
                                 "file beside the program.");
    } else if (IsFile(where.userPath) || IsFolder(where.userPath)) {
        settings.path = where.userPath;
    } else if (IsFile(where.userFolder)) {
        settings.path = where.templatePath;
        settings.notes.push_back("A file " + Quoted(where.userFolder) +
                                 " stands where Snap's folder belongs: Snap uses the file beside "
                                 "the program.");
    } else if (IsFile(where.templatePath)) {
        settings.path = where.templatePath;
        settings.notes.push_back("The per-user settings file " + Quoted(where.userPath) +
                                 " does not exist yet: Snap makes it from " +
                                 Quoted(where.templatePath) +
                                 " when it starts. This check reads that file.");
    } else {
        settings.path = where.userPath;
        settings.notes.push_back("Neither the per-user settings file nor " +
                                 Quoted(where.templatePath) +
                                 " exists: every setting has its default.");
    }
    settings.reportFolder = where.userFolder.empty() || IsFile(where.userFolder)
                                ? FolderOf(where.templatePath)
                                : where.userFolder;
    if (IsFolder(settings.path) || IsFile(settings.path)) {
        UniqueKernelHandle file(CreateFileA(settings.path.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                            nullptr));
        if (!file) {
            settings.readable = false;
            settings.notes.push_back(
                Format("The settings file cannot be read (system error %lu).", GetLastError()));
        }
    }
    return settings;
}

struct PlannedPost {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    HWND to;
};

// What performing the step would post, in order (nothing for a launch).
std::vector<PlannedPost> PlannedPosts(const ActionStep& step, HWND target, POINT targetPoint) {
    const WORD id = LOWORD(GetDlgCtrlID(target));
    const WPARAM wParam = static_cast<WPARAM>(static_cast<DWORD>(step.wParam));
    const LPARAM lParam = static_cast<LPARAM>(step.lParam);
    const LPARAM position = MAKELPARAM(LOWORD(targetPoint.x), LOWORD(targetPoint.y));
    switch (static_cast<ActionType>(step.type)) {
    case ActionType::ButtonClick:
        return {{WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0, CommandRecipient(target)}};
    case ActionType::ButtonDoubleClick:
        return {{WM_COMMAND, MAKEWPARAM(id, BN_DOUBLECLICKED), 0, CommandRecipient(target)}};
    case ActionType::SendCommand:
        return {{WM_COMMAND, wParam, lParam, CommandRecipient(target)}};
    case ActionType::SendCustomMessage:
        return {{static_cast<UINT>(step.message), wParam, lParam, CommandRecipient(target)}};
    case ActionType::Joystick1Down:
        return {{MM_JOY1BUTTONDOWN, kJoystick1Down, kJoystickPosition, target}};
    case ActionType::Joystick1Up:
        return {{MM_JOY1BUTTONUP, kJoystick1Up, kJoystickPosition, target}};
    case ActionType::Joystick2Down:
        return {{MM_JOY2BUTTONDOWN, kJoystick2Down, kJoystickPosition, target}};
    case ActionType::Joystick2Up:
        return {{MM_JOY2BUTTONUP, kJoystick2Up, kJoystickPosition, target}};
    case ActionType::MouseClick:
        return {{WM_LBUTTONDOWN, 0, position, target}, {WM_LBUTTONUP, 0, position, target}};
    case ActionType::ExternalLauncher:
    case ActionType::None:
        break;
    }
    return {};
}

bool UsesParameters(int type) {
    return type == static_cast<int>(ActionType::SendCommand) ||
           type == static_cast<int>(ActionType::SendCustomMessage);
}

void DescribeRecord(Report& report, const ActionStep& step) {
    const WindowDescription window = ParseWindowDescription(step.windowDescription);
    if (!window.present)
        report.Line("  Stored window: none (no target was chosen for this step)");
    else if (window.IsBroadcast())
        report.Line("  Stored window: Broadcast, all top-level windows");
    else
        report.Line(Format("  Stored window: class %s, title %s (found by its %s), reference "
                           "client size %d x %d",
                           Quoted(window.className).c_str(), Quoted(window.title).c_str(),
                           window.title.empty() ? "class" : "title", window.refWidth,
                           window.refHeight));

    const TargetPath path = ParseTargetPath(step.targetPath);
    if (!path.hasPoint) {
        report.Line("  Stored path: none (the step goes to the window itself)");
    } else {
        std::string positions;
        for (int index : path.indices)
            positions += (positions.empty() ? "" : ", ") + std::to_string(index);
        report.Line(
            Format("  Stored path: positions %s; point (%d, %d) at the reference size",
                   positions.empty() ? "none (a control of the window itself)" : positions.c_str(),
                   path.x, path.y));
    }

    if (step.type == static_cast<int>(ActionType::SendCustomMessage))
        report.Line("  Message: " + MessageName(static_cast<UINT>(step.message)));
    if (UsesParameters(step.type))
        report.Line(Format("  WParam: %d (%s), LParam: %d (%s)", step.wParam,
                           Hex(static_cast<DWORD>(step.wParam)).c_str(), step.lParam,
                           Hex(static_cast<DWORD>(step.lParam)).c_str()));
    if (step.type == static_cast<int>(ActionType::ExternalLauncher))
        report.Line("  Program: " + Quoted(step.program) +
                    ", parameters: " + Quoted(step.parameters));
}

// Checks one step and tells it; the cause when it does not resolve, else "".
std::string CheckStep(Report& report, const ActionStep& step) {
    DescribeRecord(report, step);
    if (!IsKnownStepType(step.type))
        return "its type is unknown: nothing would be performed";

    const FoundWindow found = FindWindowByDescription(step.windowDescription);
    if (found.outcome == WindowSearch::Absent) {
        report.Line("  Window: none stored");
        return "no target: choose the step's window in \"Settings\"";
    }
    if (found.outcome == WindowSearch::NotFound) {
        report.Line("  Window: not found");
        return "its window is not found: the imaging application is not running, or its "
               "window's class or title has changed";
    }

    const bool launch = step.type == static_cast<int>(ActionType::ExternalLauncher);
    const HWND top = found.window;
    HWND target = top;
    POINT point = {0, 0};
    std::string cause;
    if (found.outcome == WindowSearch::Broadcast) {
        report.Line("  Window: Broadcast, all top-level windows; no control is looked for");
        if (step.type == static_cast<int>(ActionType::MouseClick)) {
            report.Line("  Would post: nothing (all top-level windows have no common point "
                        "to click)");
            return "a mouse click cannot go to all windows: choose one window for it";
        }
    } else {
        const WindowOwner owner = OwnerOfWindow(top);
        report.Line(Format("  Window: found, %s, title %s, class %s",
                           Hex(reinterpret_cast<ULONG_PTR>(top)).c_str(),
                           Quoted(WindowText(top)).c_str(), Quoted(ClassName(top)).c_str()));
        report.Line(Format(
            "  Process: %s (id %lu, %s), integrity level %s",
            owner.imagePath.empty() ? "unknown" : PathFindFileNameA(owner.imagePath.c_str()),
            owner.processId, owner.imagePath.empty() ? "path unknown" : owner.imagePath.c_str(),
            IntegrityLevelName(owner.integrity)));
        if (IsHigherIntegrity(owner.integrity, OwnIntegrityLevel()))
            cause = Format("its program runs at a higher integrity level (%s) than Snap (%s), "
                           "as when started as administrator: the system drops Snap's messages. "
                           "Start both the same way",
                           IntegrityLevelName(owner.integrity),
                           IntegrityLevelName(OwnIntegrityLevel()));
        else if (owner.integrity == IntegrityLevel::Unknown)
            report.Line("  Note: the system does not tell this program's integrity level; if it "
                        "runs as administrator and Snap does not, Snap's messages are dropped");

        const TargetPath path = ParseTargetPath(step.targetPath);
        const ResolvedTarget resolved = ResolvePath(top, path, found.refWidth, found.refHeight);
        point = resolved.point;
        if (launch) {
            report.Line("  Control: not used by a launch");
        } else if (resolved.control) {
            target = resolved.control;
            report.Line(Format("  Control: %s, class %s, id %d, text %s",
                               Hex(reinterpret_cast<ULONG_PTR>(target)).c_str(),
                               Quoted(ClassName(target)).c_str(), GetDlgCtrlID(target),
                               Quoted(WindowText(target)).c_str()));
        } else if (path.hasPoint) {
            report.Line("  Control: none at the stored path now; the step would go to the "
                        "window itself");
            if (cause.empty())
                cause = "its stored path leads to no control (the application's layout has "
                        "changed): set the step's target again in \"Settings\"";
        } else {
            report.Line("  Control: none needed; the step goes to the window itself");
        }
        POINT screen = point;
        (void)ClientToScreen(top, &screen);
        report.Line(Format("  Click point: (%ld, %ld) in the window's client area, (%ld, %ld) on "
                           "the screen",
                           point.x, point.y, screen.x, screen.y));
    }

    if (launch) {
        report.Line("  Would launch: " + Quoted(step.program) + " " + step.parameters);
        return cause;
    }
    POINT targetPoint = point;
    if (step.type == static_cast<int>(ActionType::MouseClick)) {
        POINT screen = point;
        (void)ClientToScreen(top, &screen);
        report.Line(
            Format("  Would move the cursor to (%ld, %ld) on the screen", screen.x, screen.y));
        targetPoint = screen;
        (void)ScreenToClient(target, &targetPoint);
    }
    for (const PlannedPost& post : PlannedPosts(step, target, targetPoint))
        report.Line(Format("  Would post: %s, wParam %s, lParam %s, to %s",
                           MessageName(post.message).c_str(), Hex(post.wParam).c_str(),
                           Hex(static_cast<ULONG_PTR>(post.lParam)).c_str(),
                           DescribeHandle(post.to).c_str()));
    return cause;
}

std::string StepName(int index) {
    return Format("Action #%2.2d", index + 1);
}

std::string LocalTime() {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    return Format("%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
}

// The steps in words; whether all of them resolve.
bool CheckSteps(Report& report) {
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
        report.Line(StepName(index) + ": " + TypeName(step.type));
        const std::string cause = CheckStep(report, step);
        if (cause.empty()) {
            report.Line("  Result: resolves");
        } else {
            report.Line("  Result: does not resolve: " + cause + ".");
            failures.push_back(StepName(index) + ": " + cause + ".");
        }
    }
    report.Line();
    if (checked == 0)
        report.Line("No step is configured: a press does nothing.");
    if (failures.empty()) {
        report.Line(Format("Every step resolves (%d checked). Exit code 0.", checked));
        return true;
    }
    report.Line(Format("%d of %d steps do not resolve. Exit code 1.",
                       static_cast<int>(failures.size()), checked));
    for (const std::string& failure : failures)
        report.Line("  " + failure);
    return false;
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
    Report report;
    report.Line(ApplicationName() + " check, " + LocalTime());
    report.Line("Program: " + ExecutablePath() + ", integrity level " +
                IntegrityLevelName(OwnIntegrityLevel()));
    report.Line("Settings file: " + settings.path);
    for (const std::string& note : settings.notes)
        report.Line("  " + note);
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
        printer.Print(
            Format("(%s could not be written: system error %lu)\r\n", reportPath.c_str(), error));
    printer.Print(report.Text());
    return resolved ? kExitResolved : kExitNotResolved;
}
