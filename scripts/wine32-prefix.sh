#!/usr/bin/env bash
# Makes a WoW64 prefix for the private 32-bit Wine (build/wine32), unless one
# is there already:
#   bash scripts/wine32-prefix.sh PREFIX
# A prefix made by the plain 64-bit set-up has an empty syswow64: the
# sysroot's 64-bit loader with both DLL folders fills it. Its 32-bit steps run
# through the sysroot's i386 loader, natively or emulated as set up.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=$1
sysroot="$root/build/wine32/sysroot"
[ -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ] && exit 0
echo "Creating the 32-bit Wine prefix $prefix"
rm -rf "$prefix"
WINEPREFIX=$prefix \
    WINEDLLPATH="$sysroot/usr/lib/i386-linux-gnu/wine:/usr/lib/x86_64-linux-gnu/wine" \
    WINESERVER=/usr/lib/wine/wineserver64 \
    "$sysroot/usr/lib/wine/wine64" wineboot -u </dev/null >/dev/null 2>&1 || true
WINEPREFIX=$prefix wineserver -w
if [ ! -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ]; then
    echo "The 32-bit Wine prefix could not be made" >&2
    exit 1
fi
