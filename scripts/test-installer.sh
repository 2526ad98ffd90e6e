#!/usr/bin/env bash
# The installer's round trip under Wine: a silent install, the installed Snap
# started (with the stand-in camera library put beside it for the check only)
# and closed, a silent uninstall that keeps the user's settings, and a second
# round whose uninstall is told to remove them. Prints PASS / FAIL lines and
# exits non-zero when a check fails.
#
# The installer under test is the release's: dist/Snap-<version>-setup.exe,
# the x86 stub with the i686 Snap.exe, as made by scripts/release.sh (run
# first when dist/ has none), under the private 32-bit Wine
# (scripts/wine32-setup.sh) on a 64-bit Windows prefix, as most users have.
#
# Run it alone, or from a script that already started a Wine session for this
# tree (scripts/wine-session.sh): then its display and wineservers are used.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

work="$root/build/installer-test"
rm -rf "$work"
mkdir -p "$work/simulator"

version=$(sed -n 's/^project(Snap VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "No project version in CMakeLists.txt" >&2; exit 1; }
installer="$root/dist/Snap-$version-setup.exe"
[ -f "$installer" ] || bash scripts/release.sh >/dev/null
# The stand-in camera library of the same release build, for the check only.
simulator_dll="$root/dist/camera-simulator/KelvraTouch.dll"

. scripts/wine-session.sh
if [ "${WINEPREFIX:-}" = "$root/build/wineprefix" ] && [ -n "${DISPLAY:-}" ]; then
    export WINE_SESSION_USE_DISPLAY=1
fi
wine_session_start "$root"
wine32_session_start "$root"
# Every Windows program below is the 32-bit one: the installer, its
# uninstaller, the installed Snap.exe, and the tools that look at the prefix.
wine() { wine32 "$@"; }
winepath() { wine32 winepath "$@"; }
# Creating a shortcut would otherwise add an entry to this machine's own menus.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"

# A Windows console program's output, without carriage returns.
win() { wine "$@" </dev/null 2>/dev/null | tr -d '\r' || true; }
unix_path() { winepath -u "$1" </dev/null 2>/dev/null; }

uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Snap'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
local_appdata_win=$(win cmd /c 'echo %LOCALAPPDATA%')
install_win="$local_appdata_win\\Programs\\Snap"
install_dir=$(unix_path "$install_win")
settings_dir=$(unix_path "$local_appdata_win\\Snap")
shortcut="$(unix_path "$(win cmd /c 'echo %APPDATA%')")/Microsoft/Windows/Start Menu/Programs/Snap.lnk"

reg_key_exists() { wine reg query "$1" </dev/null >/dev/null 2>&1; }
reg_value_exists() { wine reg query "$1" /v "$2" </dev/null >/dev/null 2>&1; }
# The data of one value as `reg query` prints it (REG_DWORD as 0x...).
reg_value() { win reg query "$1" /v "$2" | sed -n "s/^ *$2 \{4\}REG_[A-Z_]* \{4\}//p"; }

# Polls a condition until it holds or the deadline (seconds) passes.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

failures=0
check() {
    local what=$1
    shift
    if "$@"; then
        echo "PASS: $what"
    else
        echo "FAIL: $what"
        failures=$((failures + 1))
    fi
}
equals() { [ "$1" = "$2" ] || { echo "  got '$1', expected '$2'" >&2; return 1; }; }
absent() { [ ! -e "$1" ]; }
not() { ! "$@"; }

remove_traces() {
    rm -rf "$install_dir" "$settings_dir"
    rm -f "$shortcut"
    wine reg delete "$uninstall_key" /f </dev/null >/dev/null 2>&1 || true
    wine reg delete "$run_key" /v Snap /f </dev/null >/dev/null 2>&1 || true
}

snap_pid=
cleanup() {
    if [ -n "$snap_pid" ]; then kill "$snap_pid" 2>/dev/null || true; fi
    remove_traces
    wine_session_stop
}
trap cleanup EXIT
remove_traces

install_silently() {
    local code=0
    wine "$installer" /S </dev/null >/dev/null 2>&1 || code=$?
    check "silent install exits with 0" equals "$code" 0
}

# The stub copies itself to the temporary folder, starts the copy and returns
# at once; the copy deletes the uninstall entry last, so its absence is the end.
uninstall_silently() {
    local code=0
    wine "$install_dir/Uninstall.exe" /S "$@" </dev/null >/dev/null 2>&1 || code=$?
    check "Uninstall.exe $(echo /S "$@") starts with exit code 0" equals "$code" 0
    check "the uninstaller finishes (its entry is gone) within 60 s" \
        wait_until 60 not reg_key_exists "$uninstall_key"
    check "the install folder is gone" absent "$install_dir"
    check "the Start menu shortcut is gone" absent "$shortcut"
    check "the Run value \"Snap\" is gone" not reg_value_exists "$run_key" Snap
}

echo "== Round 1: install, run, uninstall keeping the settings"
install_silently
for file in Snap.exe Snap.INI Uninstall.exe; do
    check "$file is in $install_win" test -f "$install_dir/$file"
done
check "the installed Snap.exe is the 32-bit (i686) program" \
    eval 'x86_64-w64-mingw32-objdump -f "$install_dir/Snap.exe" | grep -q "file format pei-i386"'
check "the stand-in camera library is not installed" absent "$install_dir/KelvraTouch.dll"
# A real workstation starts from general options only: a step aimed at the
# stand-in imaging application would warn at the first "Setup" and do nothing.
# Targets are stored-text keys, so any key but the general options is one.
general_options_only() {
    tr -d '\r' <"$1" | not grep -qvE '^(;.*|\[Param\]|(Delay|LittleIcon|NoBeep|PutInSysTray|StepByStep)=-?[0-9]+)?$'
}
check "the installed template holds general options only, no target" \
    general_options_only "$install_dir/Snap.INI"
check "the Start menu shortcut exists" test -f "$shortcut"
check "the shortcut points at the installed Snap.exe" \
    grep -aqF "$install_win\\Snap.exe" "$shortcut"
check "DisplayName" equals "$(reg_value "$uninstall_key" DisplayName)" Snap
check "DisplayVersion" equals "$(reg_value "$uninstall_key" DisplayVersion)" "$version"
check "Publisher" equals "$(reg_value "$uninstall_key" Publisher)" "Kelvra - MorvaneGroup"
check "UninstallString" equals "$(reg_value "$uninstall_key" UninstallString)" \
    "\"$install_win\\Uninstall.exe\""
check "QuietUninstallString" equals "$(reg_value "$uninstall_key" QuietUninstallString)" \
    "\"$install_win\\Uninstall.exe\" /S"
check "InstallLocation" equals "$(reg_value "$uninstall_key" InstallLocation)" "$install_win"
check "DisplayIcon" equals "$(reg_value "$uninstall_key" DisplayIcon)" "\"$install_win\\Snap.exe\",0"
check "NoModify" equals "$(reg_value "$uninstall_key" NoModify)" 0x1
check "NoRepair" equals "$(reg_value "$uninstall_key" NoRepair)" 0x1
estimated=$(reg_value "$uninstall_key" EstimatedSize)
check "EstimatedSize is set ($estimated KB)" test "$((estimated))" -gt 0

# The installed Snap, with the stand-in library for this check only; the
# library's log goes to the work folder so nothing is left in the install.
cp "$simulator_dll" "$install_dir/"
sim_log="$work/simulator/KelvraTouchSim.log"
export KELVRATOUCH_SIM_DIR
KELVRATOUCH_SIM_DIR=$(winepath -w "$work/simulator" </dev/null 2>/dev/null)
(cd "$install_dir" && exec "$root/cmake/wine32-run.sh" Snap.exe </dev/null >/dev/null 2>&1) &
snap_pid=$!
polled_at_least() { [ -f "$sim_log" ] && [ "$(grep -c . "$sim_log")" -ge "$1" ]; }
running() { kill -0 "$snap_pid" 2>/dev/null; }
# On the 32-bit session's display, which may be one of its own.
snap_window_shown() {
    DISPLAY=${WINE32_DISPLAY:-$DISPLAY} timeout 60 xdotool search --sync --onlyvisible \
        --name '^Snap$' >/dev/null
}
check "the installed Snap shows its window" snap_window_shown
check "it keeps polling the camera library" wait_until 30 polled_at_least 5
check "it is still running" running
check "its settings were seeded from the installed template" \
    cmp -s "$install_dir/Snap.INI" "$settings_dir/Snap.INI"

code=0
wine "$installer" /S </dev/null >/dev/null 2>&1 || code=$?
check "the installer refuses while Snap runs (exit code 2)" equals "$code" 2
code=0
wine "$install_dir/Uninstall.exe" /S "_?=$install_win" </dev/null >/dev/null 2>&1 || code=$?
check "the uninstaller refuses while Snap runs (exit code 2)" equals "$code" 2
check "Snap.exe is still installed" test -f "$install_dir/Snap.exe"

# Wine's taskkill without /F posts WM_CLOSE, which the dialog takes as Cancel:
# Snap's own way out, saving its window placement.
win taskkill /im Snap.exe >/dev/null
check "Snap ends after WM_CLOSE" wait_until 30 not running
code=0
wait "$snap_pid" || code=$?
snap_pid=
check "Snap's exit code is 0" equals "$code" 0
check "Snap saved its window placement on closing" grep -q '^\[WPlace\]' "$settings_dir/Snap.INI"
rm "$install_dir/KelvraTouch.dll"

wine reg add "$run_key" /v Snap /d "\"$install_win\\Snap.exe\"" /f </dev/null >/dev/null 2>&1
check "the Run value \"Snap\" is planted" reg_value_exists "$run_key" Snap
uninstall_silently
check "the user's settings are kept" test -f "$settings_dir/Snap.INI"

echo "== Round 2: install again, uninstall with /REMOVESETTINGS"
install_silently
check "Snap.exe is installed again" test -f "$install_dir/Snap.exe"
check "the kept settings are still there" test -f "$settings_dir/Snap.INI"
uninstall_silently /REMOVESETTINGS
check "the settings folder is gone" absent "$settings_dir"

echo
if [ "$failures" -gt 0 ]; then
    echo "Installer round trip: $failures check(s) FAILED"
    exit 1
fi
echo "Installer round trip: all checks passed"
