#include "TapsyncApp.h"

#include "common/ModulePaths.h"
#include "mainwindow/TapsyncDlg.h"
#include "settings/LegacyMigration.h"
#include "settings/SettingsFile.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

void CTapsyncApp::InitInstance() {
    InitCommonControls();
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return; // silently: nothing has been touched yet

    m_registryKey = "Kelvra - MorvaneGroup";
    m_applicationName = ::ApplicationName();

    // The first settings access prepares the per-user file; the migration
    // check depends on what that file (or its template) already holds.
    (void)MigrateLegacySettingsIfDue({m_registryKey, m_applicationName});

    {
        CTapsyncDlg dialog;
        (void)dialog.DoModal(); // the program ends however the window ended
    }
    CoUninitialize();
}
