#include "TapsyncApp.h"

#include "common/ModulePaths.h"
#include "mainwindow/TapsyncDlg.h"
#include "settings/LegacyMigration.h"
#include "settings/RunLog.h"
#include "settings/SettingsFile.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

void CTapsyncApp::InitInstance() {
    InitCommonControls();
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        // Nothing else has been touched yet.
        WriteLogLine(::ApplicationName() + " ends: COM could not be initialised");
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
