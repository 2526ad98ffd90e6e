#!/usr/bin/env bash
# The demo: builds Snap and its stand-in camera button library, runs Snap under
# Wine on the default configuration and shows its window. A screenshot lands
# in build/demo/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
cmake --preset test >/dev/null
cmake --build --preset test --target Snap KelvraTouch

demo="$root/build/demo"
rm -rf "$demo"
mkdir -p "$demo"
cp build/test/bin/Snap.exe build/test/bin/KelvraTouch.dll "$demo/"
cp src/resources/Snap.INI "$demo/Snap.INI"

. scripts/wine-session.sh
wine_session_start "$root"

# A fresh per-user settings file, seeded from the default configuration.
local_appdata=$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
rm -rf "$(winepath -u "$local_appdata\\Snap" 2>/dev/null)"

(cd "$demo" && wine Snap.exe </dev/null >/dev/null 2>&1) &
snap=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Snap$' | head -n1)
echo "Snap is running (window $window)."

import -window root "$demo/screenshot.png"
echo "Screenshot: $demo/screenshot.png"

xdotool windowfocus --sync "$window" key Escape
wait "$snap" || true
echo "Snap ended; its settings file:"
cat "$(winepath -u "$local_appdata\\Snap\\Snap.INI")"
