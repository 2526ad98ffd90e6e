#!/usr/bin/env bash
# Installs what is missing, builds the release (i686) and test (x86_64)
# configurations, and runs every test under Wine inside Xvfb; then, for a run
# without arguments, the release command, the installer's round trip and the
# fuzzers of the text routines. Arguments go to CTest alone (a filtered run).
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

# Every part runs even when one fails; the exit status tells whether all passed.
failed=()
ctest --preset test "$@" || failed+=("ctest")
if [ $# -eq 0 ]; then
    bash scripts/release.sh || failed+=("release")
    bash scripts/test-installer.sh || failed+=("installer round trip")
    bash scripts/fuzz.sh "${SNAP_FUZZ_SECONDS:-60}" || failed+=("fuzzing")
fi

if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED: ${failed[*]}" >&2
    exit 1
fi
echo "All passed."
