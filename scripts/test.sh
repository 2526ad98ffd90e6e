#!/usr/bin/env bash
# Installs what is missing, builds the release (i686), test (x86_64) and
# test-i686 configurations, and runs the tests under Wine inside Xvfb: the
# x86_64 build under the host's Wine, then the i686 build under the private
# 32-bit Wine (scripts/wine32-setup.sh); then, for a run without arguments,
# the release command, the x86 installer's round trip and the fuzzers of the
# text routines. Arguments go to CTest alone (a filtered run of both builds).
# Ends with the time each part took.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# What the i686 build runs when no filter is given, by executable: the suites
# where a 32-bit program meets the platform (start-up, the main window, the
# settings dialog with the video source list, the end-to-end suites with the
# finder, the loading of system libraries, WoW64), the check of its imports
# and the check that its Wine runs natively where the kernel allows it. The
# pure logic (settings text, dialog layer, target records, step engine) is the
# same code in both builds and runs in the x86_64 one; under emulation it would
# cost ten more minutes.
i686_labels='^(app_tests|mainwindow_tests|settingsdialog_tests|e2e_tests|library_tests|wow64_tests|static_linking|wine32_route)$'

timings=()
part_started=0
start_part() { part_started=$SECONDS; }
end_part() { timings+=("$(printf '%-44s %4d s' "$1" $((SECONDS - part_started)))"); }
print_timings() {
    echo
    echo "Time of each part (32-bit Wine: ${wine32_mode:-unknown} i386 execution):"
    printf '  %s\n' "${timings[@]}"
    echo "  total                                        $SECONDS s"
}

start_part
bash scripts/setup.sh
end_part "packages (scripts/setup.sh)"

failed=()
start_part
if bash scripts/wine32-setup.sh; then
    wine32_mode=$(sed -n 2p build/wine32/ready)
else
    failed+=("32-bit Wine set-up")
fi
end_part "32-bit Wine (scripts/wine32-setup.sh)"

start_part
cmake --preset release
cmake --build --preset release
end_part "build: release (i686)"
start_part
cmake --preset test
cmake --build --preset test
end_part "build: test (x86_64)"
start_part
cmake --preset test-i686
cmake --build --preset test-i686
end_part "build: test-i686"

. scripts/wine-session.sh
start_part
wine_session_start "$root"
end_part "Wine session (Xvfb, prefix, wineserver)"

# Every part runs even when one fails; the exit status tells whether all passed.
# The two builds' tests run one after the other, each Wine with its own
# prefix, wineserver and display: run side by side, the emulated 32-bit run
# starved the 64-bit one, and one of its tests then hung at its exit.
# The tests at another display scale (At144Dpi.*) run on their own, after the
# others, with a second wineserver (a prefix at 144 DPI) on the display: a
# message broadcast to all windows while that server runs never returned.
scaled='^At[0-9]+Dpi\.'
unscaled='^([^A]|A[^t]|At[^0-9])' # every other name
start_part
if [ $# -eq 0 ]; then
    ctest --preset test -E "$scaled" || failed+=("ctest (x86_64)")
else
    # A filter may match tests of one build only (the WoW64 ones, say).
    ctest --preset test --no-tests=ignore -E "$scaled" "$@" || failed+=("ctest (x86_64)")
fi
end_part "ctest: x86_64 build"

# A filtered run has this part only when its filter names scaled tests.
start_part
if [ $# -eq 0 ] || [[ "$*" == *Dpi* ]]; then
    wine_session_stop
    if SNAP_WINE_DPIS=144 wine_session_start "$root"; then
        if [ $# -eq 0 ]; then
            ctest --preset test -R "$scaled" || failed+=("ctest (x86_64 at 144 DPI)")
        else
            # Only the scaled tests of the filter: the others ran above, and a
            # message broadcast while this server runs would never return.
            ctest --preset test --no-tests=ignore -E "$unscaled" "$@" ||
                failed+=("ctest (x86_64 at 144 DPI)")
        fi
        wine_session_stop
        wine_session_start "$root" >/dev/null
    else
        failed+=("Wine session at 144 DPI")
    fi
fi
end_part "ctest: x86_64 build at 144 DPI"

start_part
if [ -n "${wine32_mode:-}" ]; then # the 32-bit Wine was set up
    if WINE32_SESSION_OWN_DISPLAY=1 wine32_session_start "$root"; then
        if [ $# -eq 0 ]; then
            i686_args=(-L "$i686_labels" -E "$scaled")
        else
            i686_args=(--no-tests=ignore -E "$scaled" "$@")
        fi
        echo
        echo "== i686 build under the $(sed -n 4p build/wine32/ready)"
        ctest --preset test-i686 "${i686_args[@]}" </dev/null || failed+=("ctest (i686)")
    else
        failed+=("32-bit Wine session")
    fi
fi
end_part "ctest: i686 build, 32-bit Wine"

if [ $# -eq 0 ]; then
    start_part
    bash scripts/release.sh || failed+=("release")
    end_part "release (dist/)"
    start_part
    bash scripts/test-installer.sh || failed+=("installer round trip")
    end_part "x86 installer round trip, 32-bit Wine"
    start_part
    bash scripts/fuzz.sh "${SNAP_FUZZ_SECONDS:-60}" || failed+=("fuzzing")
    end_part "fuzzing"
fi

print_timings
if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED: ${failed[*]}" >&2
    exit 1
fi
echo "All passed."
