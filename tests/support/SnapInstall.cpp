#include "SnapInstall.h"

#include <windows.h>

std::string BuiltSnapExe() { return ToWindowsPath(SNAP_EXE_PATH); }
std::string BuiltStandInLibrary() { return ToWindowsPath(KELVRATOUCH_DLL_PATH); }
std::string BuiltLibraryWithoutExport() { return ToWindowsPath(NOEXPORT_DLL_PATH); }
std::string BuiltCommandLineRecorder() { return ToWindowsPath(RECORD_COMMAND_LINE_PATH); }
std::string BuiltNeverIdleProgram() { return ToWindowsPath(NEVER_IDLE_PATH); }
std::string BuiltBroadcastListener() {
    return ToWindowsPath(BROADCAST_LISTENER_PATH);
}
std::string BuiltLogWriter() { return ToWindowsPath(LOG_WRITER_PATH); }

SnapInstall::SnapInstall(CameraLibrary library, const std::string& templateIni)
    : m_name(UniqueName("Snap")) {
    RemoveTree(SettingsFolder());
    CopyFileA(BuiltSnapExe().c_str(), ExePath().c_str(), FALSE);
    const std::string libraryPath = m_folder / "KelvraTouch.dll";
    if (library == CameraLibrary::StandIn)
        CopyFileA(BuiltStandInLibrary().c_str(), libraryPath.c_str(), FALSE);
    else if (library == CameraLibrary::WithoutExport)
        CopyFileA(BuiltLibraryWithoutExport().c_str(), libraryPath.c_str(), FALSE);
    else if (library == CameraLibrary::NotALibrary)
        WriteTextFile(libraryPath, "KelvraTouch camera button driver, release notes\r\n");
    if (!templateIni.empty())
        WriteTextFile(m_folder / (m_name + ".INI"), templateIni);
}

SnapInstall::~SnapInstall() { RemoveTree(SettingsFolder()); }

std::string SnapInstall::SettingsFolder() const { return LocalAppDataFolder() + "\\" + m_name; }

std::string SnapInstall::SettingsPath() const { return SettingsFolder() + "\\" + m_name + ".INI"; }

std::string SystemRefusal(const std::string& path) {
    SetLastError(0);
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    const DWORD error = GetLastError();
    if (module)
        FreeLibrary(module);
    char text[512] = "";
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    const size_t insert = message.find("%1");
    if (insert != std::string::npos)
        message.replace(insert, 2, "KelvraTouch.dll");
    return "error " + std::to_string(error) + " (" + message + ")";
}
