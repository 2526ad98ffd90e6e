#!/bin/sh
# Runs a 32-bit Windows program under the private 32-bit Wine of this tree
# (build/wine32, made by scripts/wine32-setup.sh) with its own WoW64 prefix,
# build/wineprefix32. scripts/test.sh starts that prefix's wineserver and
# display first; these defaults only make a lone `ctest` or a manual run work.
root=$(cd "$(dirname "$0")/.." && pwd)
sysroot="$root/build/wine32/sysroot"
if [ ! -x "$sysroot/usr/lib/wine/wine" ]; then
    echo "No 32-bit Wine in $root/build/wine32: run bash scripts/wine32-setup.sh" >&2
    exit 1
fi
# The 64-bit session's prefix is not this one: WINEPREFIX32 names it.
WINEPREFIX=${WINEPREFIX32:-$root/build/wineprefix32}
# A display scale other than 96 DPI: its prefix beside it (wine-run.sh).
case ${SNAP_WINE_DPI:-96} in
96) ;;
*) WINEPREFIX="$WINEPREFIX-dpi$SNAP_WINE_DPI" ;;
esac
: "${WINEDEBUG:=-all}"
: "${WINEDLLOVERRIDES:=mscoree,mshtml=}"
# Both halves of WoW64 find their DLLs: the 32-bit ones in the sysroot, the
# 64-bit ones (which fill syswow64's partner, system32) in the host's Wine.
WINEDLLPATH="$sysroot/usr/lib/i386-linux-gnu/wine:/usr/lib/x86_64-linux-gnu/wine"
WINESERVER=/usr/lib/wine/wineserver64
# The 32-bit session may have a display of its own (scripts/wine-session.sh).
DISPLAY=${WINE32_DISPLAY:-$DISPLAY}
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES WINEDLLPATH WINESERVER DISPLAY
exec "$sysroot/usr/lib/wine/wine" "$@"
