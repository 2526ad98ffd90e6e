#!/usr/bin/env bash
# The demo: Snap drives the stand-in imaging application when the (stand-in)
# camera button is pressed. Installs what is missing, builds, runs both
# programs under Wine on the demo's own configuration (tools/demo/Snap.INI),
# presses the button three times, prints what the imaging application
# received, saves a screenshot and ends by itself. Uses the caller's display
# when there is one, Xvfb otherwise.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
cmake --preset test >/dev/null
cmake --build --preset test --target Snap KelvraTouch StandInImager >/dev/null

demo="$root/build/demo"
rm -rf "$demo"
mkdir -p "$demo"
cp build/test/bin/Snap.exe build/test/bin/KelvraTouch.dll build/test/bin/StandInImager.exe "$demo/"
# The demo's settings, aimed at the stand-in imaging application, in the place
# of the shipped template (which names no target): they seed the user's file.
cp tools/demo/Snap.INI "$demo/Snap.INI"

export WINE_SESSION_USE_DISPLAY=1
. scripts/wine-session.sh
wine_session_start "$root"

# A first start, as on a new machine: no per-user settings yet.
local_appdata=$(winepath -u "$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')")
rm -rf "$local_appdata/Snap"

pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wine_session_stop
}
trap cleanup EXIT

(cd "$demo" && exec wine StandInImager.exe '/log:imager.log' '/pos:120,60' </dev/null >/dev/null 2>&1) &
pids+=($!)
timeout 60 xdotool search --sync --onlyvisible --name '^Imaging Station$' >/dev/null
(cd "$demo" && exec wine Snap.exe </dev/null >/dev/null 2>&1) &
pids+=($!)
snap_window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Snap$' | head -n1)
echo "Snap and the imaging application are running."

messages() { grep -c -v -P '\t(start|size)\t' "$demo/imager.log" 2>/dev/null || true; }
for press in 1 2 3; do
    before=$(messages)
    echo "Pressing the camera button ($press of 3)"
    : >"$demo/press" # the stand-in library reports one press at its next call
    # Four steps and the return to live: five messages (the click is two).
    for _ in $(seq 100); do
        [ "$(messages)" -ge $((before + 6)) ] && break
        sleep 0.1
    done
    [ "$press" = 3 ] && import -window root "$demo/screenshot.png"
    sleep 1 # let the run end before the next press
done

echo
echo "What the imaging application received:"
gawk -F'\t' '
    function name(id) {
        return id == 101 || id == 201 || id == 211 ? "Capture" :
               id == 102 || id == 202 || id == 212 ? "Live" :
               id == 103 || id == 213 ? "Freeze" : id == 104 ? "Snapshot" : "control " id
    }
    $3 == "start" || $3 == "size" || $2 ~ /^button:/ { next }
    {
        if (first == "") first = $1
        message = strtonum($3); w = strtonum($4); l = strtonum($5)
        if (message == 0x0111)
            text = sprintf("click on \"%s\" (WM_COMMAND, id %d)", name(and(w, 0xFFFF)), and(w, 0xFFFF))
        else if (message == 0x0201 || message == 0x0202)
            text = sprintf("mouse left button %s at (%d, %d)", message == 0x0201 ? "down" : "up",
                           and(l, 0xFFFF), rshift(l, 16))
        else if (message >= 0x03B5 && message <= 0x03B8)
            text = sprintf("joystick message 0x%04X", message)
        else
            text = sprintf("message 0x%04X, wParam %d, lParam %d", message, w, l)
        printf "  %10.1f ms  %-11s %s\n", $1 - first, $2, text
    }
' "$demo/imager.log"

echo
echo "Screenshot: $demo/screenshot.png"
xdotool windowfocus --sync "$snap_window" key Escape 2>/dev/null || true
