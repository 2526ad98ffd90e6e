#!/usr/bin/env bash
# Installs what is missing, builds the release (i686) and test (x86_64)
# configurations, and runs every test under Wine inside Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh

cmake --preset release
cmake --build --preset release
cmake --preset test
cmake --build --preset test

. scripts/wine-session.sh
wine_session_start "$root"
ctest --preset test "$@"
