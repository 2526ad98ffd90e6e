; Snap's installer: per user, no administrator rights, nothing outside the
; user's own profile and HKCU.
;
; One script, two targets, chosen with -DTARGET=:
;   x86-unicode    the release installer, carrying the i686 Snap.exe
;   amd64-unicode  the same installer with a 64-bit stub and the x86_64
;                  Snap.exe; it exists only so the install / uninstall round
;                  trip can run under a Wine that runs 64-bit programs only
;                  (scripts/test-installer.sh). Every instruction below is
;                  shared; only the stub and the payload's architecture differ.
; Built by scripts/build-installer.sh, which passes:
;   -DTARGET=...  -DVERSION=x.y.z (the CMake project version)
;   -DBINDIR=<folder with Snap.exe>  -DSOURCEDIR=<source tree>  -DOUTFILE=<setup.exe>

Unicode true

!ifndef TARGET
    !define TARGET x86-unicode
!endif
!if "${TARGET}" != "x86-unicode"
!if "${TARGET}" != "amd64-unicode"
    !error "TARGET must be x86-unicode or amd64-unicode, not ${TARGET}"
!endif
!endif
Target ${TARGET}

!ifndef VERSION | BINDIR | SOURCEDIR | OUTFILE
    !error "Pass -DVERSION= -DBINDIR= -DSOURCEDIR= -DOUTFILE= (scripts/build-installer.sh does)"
!endif

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

; HKCU\Software is shared by the 32-bit and 64-bit registry views, so these
; keys are the same for both targets and for the 32-bit Snap.exe (which writes
; the Run value): no SetRegView is needed.
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Snap"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define PUBLISHER "Kelvra - MorvaneGroup"
!define ICON_FILE "${SOURCEDIR}/src/resources/Snap.ico"

Name "Snap"
OutFile "${OUTFILE}"
RequestExecutionLevel user
; The per-user programs folder (FOLDERID_UserProgramFiles) has no NSIS
; constant; it is this path on every Windows that has it.
InstallDir "$LOCALAPPDATA\Programs\Snap"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
BrandingText "Snap ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Snap"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "Snap setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

!define MUI_ICON "${ICON_FILE}"
!define MUI_UNICON "${ICON_FILE}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Snap.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Replacing or removing Snap.exe while it runs would fail half-way, so both
; directions first wait until no Snap window is left. Silent runs do not
; wait: they end with exit code 2 and change nothing.
!macro REFUSE_WHILE_SNAP_RUNS un
Function ${un}RefuseWhileSnapRuns
    check:
    FindWindow $0 "#32770" "Snap"
    StrCmp $0 0 done
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "Snap is running. Close it (its notification-area icon, then $\"Close$\") and choose Retry." \
        /SD IDCANCEL IDRETRY check
    SetErrorLevel 2
    Quit
    done:
FunctionEnd
!macroend
!insertmacro REFUSE_WHILE_SNAP_RUNS ""
!insertmacro REFUSE_WHILE_SNAP_RUNS "un."

Function .onInit
    SetShellVarContext current
    Call RefuseWhileSnapRuns
FunctionEnd

Section "Snap"
    SetOutPath "$INSTDIR"
    ClearErrors
    File "${BINDIR}/Snap.exe"
    ; The template Snap copies to %LOCALAPPDATA%\Snap\Snap.INI on first start;
    ; an existing per-user file is never touched.
    File "${SOURCEDIR}/src/resources/Snap.INI"
    ${If} ${Errors}
        ; "Ignore" in the file-in-use dialog must not end in a success.
        Abort "Snap could not be installed completely: a file in $INSTDIR could not be written."
    ${EndIf}
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Snap.lnk" "$INSTDIR\Snap.exe" "" "$INSTDIR\Snap.exe" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Snap"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\Snap.exe",0'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; The user's settings stay unless asked otherwise: /REMOVESETTINGS on the
; command line, or "Yes" to the question (a silent run answers No).
Var RemoveSettings

Function un.onInit
    SetShellVarContext current
    Call un.RefuseWhileSnapRuns
    StrCpy $RemoveSettings 0
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/REMOVESETTINGS" $1
    ${IfNot} ${Errors}
        StrCpy $RemoveSettings 1
    ${EndIf}
FunctionEnd

Section "Uninstall"
    Delete "$INSTDIR\Snap.exe"
    ${If} ${FileExists} "$INSTDIR\Snap.exe"
        ; Keep everything, the uninstall entry included, so it can be run again.
        MessageBox MB_OK|MB_ICONSTOP "Snap.exe could not be removed. Close Snap and run the uninstaller again." /SD IDOK
        SetErrorLevel 2
        Abort
    ${EndIf}
    Delete "$INSTDIR\Snap.INI"
    Delete "$INSTDIR\Uninstall.exe"
    ; Only if empty: whatever else someone put there (a camera library, say)
    ; is not ours to delete.
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\Snap.lnk"
    ; Snap's "Launch at Windows startup" uses this one value name.
    DeleteRegValue HKCU "${RUN_KEY}" "Snap"

    ${If} $RemoveSettings <> 1
    ${AndIf} ${FileExists} "$LOCALAPPDATA\Snap\*.*"
        MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
            "Also delete your Snap settings ($LOCALAPPDATA\Snap)?$\n$\nChoose No to keep them for a later installation." \
            /SD IDNO IDNO keep_settings
        StrCpy $RemoveSettings 1
        keep_settings:
    ${EndIf}
    ${If} $RemoveSettings = 1
    ${AndIf} $LOCALAPPDATA != ""
        RMDir /r "$LOCALAPPDATA\Snap"
    ${EndIf}

    ; Last: while the entry is there, the removal is not complete.
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
