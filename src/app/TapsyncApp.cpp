#include "TapsyncApp.h"

#include "common/ModulePaths.h"
#include "mainwindow/TapsyncDlg.h"
#include "settings/LegacyMigration.h"
#include "settings/RunLog.h"
#include "settings/SettingsFile.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

namespace {

// Why the program ends before it may touch anything: told only where the
// settings folder already is, and without preparing the settings file
// there. An end this early makes no folder and copies no template.
void LogEndBeforeSettings(const std::string& why) {
    const SettingsFileLocation location = LocateOwnSettingsFile();
    const DWORD attributes = GetFileAttributesA(location.userFolder.c_str());
    if (location.userFolder.empty() || attributes == INVALID_FILE_ATTRIBUTES ||
        !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    UseSettingsFileAsIs(location.userPath);
    WriteLogLine(::ApplicationName() + " ends: " + why);
}

} // namespace

void CTapsyncApp::InitInstance() {
    InitCommonControls();
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        LogEndBeforeSettings("COM could not be initialised");
        return;
    }

    m_registryKey = "Kelvra - MorvaneGroup";
    m_applicationName = ::ApplicationName();

    // The first settings access prepares the per-user file; the migration
    // check depends on what that file (or its template) already holds.
    const bool migrated = MigrateLegacySettingsIfDue({m_registryKey, m_applicationName});
    WriteLogLine(m_applicationName + " " SNAP_VERSION " starts: " + ExecutablePath() +
                 ", settings file " + SettingsFilePath() +
                 (migrated ? " (settings taken over from the registry profile)" : ""));

    {
        CTapsyncDlg dialog;
        (void)dialog.DoModal(); // the program ends however the window ended
    }
    WriteLogLine(m_applicationName + " ended");
    CoUninitialize();
}
