#!/bin/sh
# Runs a Windows program under Wine with the build tree's own prefix.
# scripts/test.sh exports WINEPREFIX, DISPLAY and WINESERVER settings; these
# defaults only make a lone `ctest` or a manual run work too.
: "${WINEPREFIX:=$(dirname "$0")/../build/wineprefix}"
: "${WINEDEBUG:=-all}"
: "${WINEDLLOVERRIDES:=mscoree,mshtml=}"
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
exec wine "$@"
