#!/usr/bin/env bash
# Fails when a shipped binary imports anything but Windows' own libraries
# (a mingw runtime DLL would be missing on a user's machine).
# Usage: check-imports.sh DIR... (each holding Snap.exe and KelvraTouch.dll)
set -u
allowed='^(kernel32|user32|gdi32|advapi32|shell32|shlwapi|ole32|oleaut32|comctl32|comdlg32|msvcrt|version)\.dll$'
status=0
checked=0
for dir in "$@"; do
    for binary in "$dir/Snap.exe" "$dir/KelvraTouch.dll"; do
        [ -f "$binary" ] || continue
        checked=$((checked + 1))
        # The mingw objdump reads both 32- and 64-bit PE files.
        imports=$(x86_64-w64-mingw32-objdump -p "$binary" | sed -n 's/^\s*DLL Name: //p')
        for dll in $imports; do
            if ! printf '%s\n' "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$allowed"; then
                echo "$binary imports $dll"
                status=1
            fi
        done
        echo "$binary: $(echo $imports)"
    done
done
if [ "$checked" -eq 0 ]; then
    echo "no binaries found in: $*"
    exit 1
fi
exit $status
