#include "SnapInstall.h"

#include <windows.h>

std::string BuiltSnapExe() { return ToWindowsPath(SNAP_EXE_PATH); }
std::string BuiltStandInLibrary() { return ToWindowsPath(KELVRATOUCH_DLL_PATH); }
std::string BuiltLibraryWithoutExport() { return ToWindowsPath(NOEXPORT_DLL_PATH); }
std::string BuiltCommandLineRecorder() { return ToWindowsPath(RECORD_COMMAND_LINE_PATH); }
std::string BuiltNeverIdleProgram() { return ToWindowsPath(NEVER_IDLE_PATH); }
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
    if (!templateIni.empty())
        WriteTextFile(m_folder / (m_name + ".INI"), templateIni);
}

SnapInstall::~SnapInstall() { RemoveTree(SettingsFolder()); }

std::string SnapInstall::SettingsFolder() const { return LocalAppDataFolder() + "\\" + m_name; }

std::string SnapInstall::SettingsPath() const { return SettingsFolder() + "\\" + m_name + ".INI"; }
