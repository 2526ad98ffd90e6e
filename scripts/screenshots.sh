#!/usr/bin/env bash
# Takes the README's screenshots of the button window, normal and little,
# under Xvfb. Writes docs/images/*.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset test >/dev/null
cmake --build --preset test --target Snap KelvraTouch >/dev/null

. scripts/wine-session.sh
wine_session_start "$root" >/dev/null
shots="$root/build/screenshots"
local_appdata=$(winepath -u "$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')")

shoot() { # name littleIcon
    local name=$1 little=$2
    rm -rf "$shots" "$local_appdata/Snap"
    mkdir -p "$shots"
    cp build/test/bin/Snap.exe build/test/bin/KelvraTouch.dll "$shots/"
    # A migrated position puts the window at (200, 200) with its sized client area.
    printf '[Param]\r\nLittleIcon=%s\r\n5a173d2e4a274e=260028092f092h\r\n' "$little" >"$shots/Snap.INI"
    (cd "$shots" && wine Snap.exe </dev/null >/dev/null 2>&1) &
    local snap=$!
    local window
    window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Snap$' | head -n1)
    eval "$(xdotool getwindowgeometry --shell "$window")"
    # A desktop-like background around the window, 12 pixels each side.
    import -window root -crop "$((WIDTH + 24))x$((HEIGHT + 24))+$((X - 12))+$((Y - 12))" \
        "$shots/raw.png"
    convert "$shots/raw.png" -fill '#3a6ea5' -opaque black "docs/images/$name.png"
    xdotool windowfocus --sync "$window" key Escape
    wait "$snap" || true
}
shoot snap-window 0
shoot snap-window-little 1
echo "Wrote docs/images/snap-window.png and docs/images/snap-window-little.png"

# The settings dialog and the finder, photographed by the end-to-end test
# that drags the finder onto the stand-in application's "Capture" button.
cmake --build --preset test --target e2e_tests >/dev/null
export SNAP_SCREENSHOT_DIR="$root/build/screenshots"
rm -rf "$SNAP_SCREENSHOT_DIR" && mkdir -p "$SNAP_SCREENSHOT_DIR"
wine build/test/bin/e2e_tests.exe --gtest_filter='Finder.ADrag*' </dev/null >/dev/null 2>&1
convert "$SNAP_SCREENSHOT_DIR/settings.png" -resize 55% docs/images/settings.png
convert "$SNAP_SCREENSHOT_DIR/finder-drag.png" -resize 55% docs/images/finder-drag.png
echo "Wrote docs/images/settings.png and docs/images/finder-drag.png"

# The tray notification of a failed step: the step names a window that is not
# open, and the (stand-in) camera button is pressed once.
rm -rf "$shots" "$local_appdata/Snap"
mkdir -p "$shots"
cp build/test/bin/Snap.exe build/test/bin/KelvraTouch.dll "$shots/"
cp tools/demo/Snap.INI "$shots/Snap.INI"
(cd "$shots" && wine Snap.exe </dev/null >/dev/null 2>&1) &
snap=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Snap$' | head -n1)
touch "$shots/press"
# The balloon has no window of Snap's to wait for: give it a moment to show.
sleep 3
import -window root "$shots/raw.png"
convert "$shots/raw.png" -trim +repage -resize '800x600>' docs/images/notification.png
xdotool windowfocus --sync "$window" key Escape
wait "$snap" || true
echo "Wrote docs/images/notification.png"
