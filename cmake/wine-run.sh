#!/bin/sh
# Runs a Windows program under Wine with the build tree's own prefix.
# scripts/test.sh exports WINEPREFIX, DISPLAY and WINESERVER settings; these
# defaults only make a lone `ctest` or a manual run work too.
: "${WINEPREFIX:=$(dirname "$0")/../build/wineprefix}"
: "${WINEDEBUG:=-all}"
: "${WINEDLLOVERRIDES:=mscoree,mshtml=}"
# A display scale other than 96 DPI runs in a prefix of its own beside the
# usual one (scripts/wine-session.sh makes it and sets its LogPixels).
case ${SNAP_WINE_DPI:-96} in
96) ;;
*) WINEPREFIX="$WINEPREFIX-dpi$SNAP_WINE_DPI" ;;
esac
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
exec wine "$@"
