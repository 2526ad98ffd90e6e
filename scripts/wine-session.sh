# Sourced by the scripts that run Windows programs: a Wine prefix in the build
# tree, Xvfb on a free display and one persistent wineserver, all stopped on
# exit. Only what this script started is stopped.
#   wine_session_start ROOT   (ROOT: the source folder)
#   wine32_session_start ROOT after it: the private 32-bit Wine as well, with
#       its own prefix (build/wineprefix32) and wineserver on the same display;
#       `wine32` then runs a program there. With WINE32_SESSION_OWN_DISPLAY=1
#       it gets an Xvfb of its own (WINE32_DISPLAY), so that its tests can
#       move the pointer while the 64-bit ones do too.
# With WINE_SESSION_USE_DISPLAY=1 an X display the caller already has is used
# instead of a new Xvfb.
# Both also prepare a prefix for each display scale of SNAP_WINE_DPIS (none
# unless told, e.g. SNAP_WINE_DPIS=144) beside their own, <prefix>-dpi<N>, with that
# LogPixels and a wineserver of its own: the runners take it for a program run
# with SNAP_WINE_DPI=<N> (the tests of scaling), and the rest stays at 96 DPI.
SNAP_WINE_DPIS=${SNAP_WINE_DPIS-}
WINE_SESSION_DPI_SERVERS=()

# A copy of the session's prefix, made while that prefix's server is down.
wine_dpi_prefixes_copy() { # $1: the session's prefix
    local dpi
    for dpi in $SNAP_WINE_DPIS; do
        [ -f "$1-dpi$dpi/system.reg" ] && continue
        echo "Creating the Wine prefix $1-dpi$dpi"
        rm -rf "$1-dpi$dpi"
        cp -a "$1" "$1-dpi$dpi"
    done
}

# Wine takes the scale from LogPixels when its server starts: set it, let that
# short-lived server end, then keep one running as for the session's prefix.
wine_dpi_sessions_start() { # $1: the session's prefix, $2: the runner script
    local dpi
    for dpi in $SNAP_WINE_DPIS; do
        SNAP_WINE_DPI=$dpi "$2" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
            /d "$dpi" /f </dev/null >/dev/null 2>&1 || return 1
        # The copy may predate the session prefix's unmanaged windows.
        SNAP_WINE_DPI=$dpi "$2" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
            </dev/null >/dev/null 2>&1 || return 1
        WINEPREFIX="$1-dpi$dpi" wineserver -w
        if WINEPREFIX="$1-dpi$dpi" wineserver -p </dev/null >/dev/null 2>&1; then
            WINE_SESSION_DPI_SERVERS+=("$1-dpi$dpi")
        fi
        SNAP_WINE_DPI=$dpi "$2" cmd /c exit </dev/null >/dev/null 2>&1 || return 1
    done
}

wine_dpi_sessions_stop() {
    local prefix
    for prefix in "${WINE_SESSION_DPI_SERVERS[@]}"; do
        WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
        WINEPREFIX=$prefix wineserver -w >/dev/null 2>&1 || true
    done
    WINE_SESSION_DPI_SERVERS=()
}

wine_session_stop() {
    wine_dpi_sessions_stop
    if [ -n "${WINE32_SESSION_SERVER_STARTED:-}" ]; then
        WINEPREFIX=$WINEPREFIX32 wineserver -k >/dev/null 2>&1 || true
        WINEPREFIX=$WINEPREFIX32 wineserver -w >/dev/null 2>&1 || true
        WINE32_SESSION_SERVER_STARTED=
    fi
    if [ -n "${WINE_SESSION_SERVER_STARTED:-}" ]; then
        wineserver -k >/dev/null 2>&1 || true # this prefix's server only
        wineserver -w >/dev/null 2>&1 || true # gone before the next session starts
    fi
    if [ -n "${WINE32_SESSION_XVFB_PID:-}" ]; then
        kill "$WINE32_SESSION_XVFB_PID" 2>/dev/null || true
        wait "$WINE32_SESSION_XVFB_PID" 2>/dev/null || true
        WINE32_SESSION_XVFB_PID=
    fi
    if [ -n "${WINE_SESSION_XVFB_PID:-}" ]; then
        kill "$WINE_SESSION_XVFB_PID" 2>/dev/null || true
        wait "$WINE_SESSION_XVFB_PID" 2>/dev/null || true
    fi
    rm -f "${WINE_SESSION_DISPLAY_FILE:-}"
}

wine_session_start_xvfb() {
    WINE_SESSION_DISPLAY_FILE=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$WINE_SESSION_DISPLAY_FILE" \
        >/dev/null 2>&1 &
    WINE_SESSION_XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$WINE_SESSION_DISPLAY_FILE" ] && break
        sleep 0.1
    done
    [ -s "$WINE_SESSION_DISPLAY_FILE" ] || { echo "Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$(head -n1 "$WINE_SESSION_DISPLAY_FILE")"
}

wine_session_start() {
    local root=$1
    export WINEPREFIX="$root/build/wineprefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=" # never offer Mono or Gecko
    mkdir -p "$root/build"
    trap wine_session_stop EXIT

    if [ "${WINE_SESSION_USE_DISPLAY:-}" = 1 ] && [ -n "${DISPLAY:-}" ] &&
        xdotool getdisplaygeometry >/dev/null 2>&1; then
        echo "Using the display $DISPLAY"
    else
        wine_session_start_xvfb || return 1
    fi

    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Creating the Wine prefix $WINEPREFIX"
        wineboot -i </dev/null >/dev/null 2>&1
        wineserver -w # its short-lived server must be gone before ours starts
    fi
    wine_dpi_prefixes_copy "$WINEPREFIX"
    if wineserver -p </dev/null >/dev/null 2>&1; then
        WINE_SESSION_SERVER_STARTED=1
    else
        echo "A wineserver already runs for this prefix; using it" >&2
    fi
    # Wine's services must not inherit our pipes, or whoever reads them
    # (CTest) waits for them forever.
    wine cmd /c exit </dev/null >/dev/null 2>&1
    # No window manager runs in Xvfb: with managed windows Wine waits up to two
    # seconds for one at every hide or destroy.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    wine_dpi_sessions_start "$WINEPREFIX" "$root/cmake/wine-run.sh" || return 1
    echo "Wine ready on display $DISPLAY${SNAP_WINE_DPIS:+, also at $SNAP_WINE_DPIS DPI}"
}

# The 32-bit programs (the i686 build, the x86 installer) run under the private
# 32-bit Wine of scripts/wine32-setup.sh. Its prefix is a WoW64 prefix of its
# own, served by the host's 64-bit wineserver like the 64-bit session's.
wine32() { "$WINE32_SESSION_ROOT/cmake/wine32-run.sh" "$@"; }

wine32_session_start() {
    local root=$1
    WINE32_SESSION_ROOT=$root
    export WINEPREFIX32="$root/build/wineprefix32"
    bash "$root/scripts/wine32-setup.sh" || return 1
    bash "$root/scripts/wine32-prefix.sh" "$WINEPREFIX32" || return 1
    wine_dpi_prefixes_copy "$WINEPREFIX32"
    if [ "${WINE32_SESSION_OWN_DISPLAY:-}" = 1 ]; then
        local file
        file=$(mktemp)
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$file" >/dev/null 2>&1 &
        WINE32_SESSION_XVFB_PID=$!
        for _ in $(seq 100); do
            [ -s "$file" ] && break
            sleep 0.1
        done
        [ -s "$file" ] || { echo "Xvfb did not start" >&2; rm -f "$file"; return 1; }
        export WINE32_DISPLAY=":$(head -n1 "$file")"
        rm -f "$file"
    fi
    if WINEPREFIX=$WINEPREFIX32 wineserver -p </dev/null >/dev/null 2>&1; then
        WINE32_SESSION_SERVER_STARTED=1
    else
        echo "A wineserver already runs for $WINEPREFIX32; using it" >&2
    fi
    # As for the 64-bit prefix: services away from our pipes, unmanaged windows.
    wine32 cmd /c exit </dev/null >/dev/null 2>&1 || return 1
    wine32 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 ||
        return 1
    wine_dpi_sessions_start "$WINEPREFIX32" "$root/cmake/wine32-run.sh" || return 1
    # A test ended by force may have left the stand-in camera library in a
    # system folder of the kept prefix: the start-up tests want none there.
    rm -f "$WINEPREFIX32/drive_c/windows/system32/KelvraTouch.dll" \
        "$WINEPREFIX32/drive_c/windows/syswow64/KelvraTouch.dll"
    echo "32-bit Wine ready on display ${WINE32_DISPLAY:-$DISPLAY} ($(sed -n 2p "$root/build/wine32/ready") i386 execution)"
}
