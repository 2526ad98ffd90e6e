#!/usr/bin/env bash
# Whether the 32-bit programs of the tests run the way this machine allows:
# natively where the kernel executes i386 programs, under QEMU where it does
# not or where SNAP_WINE32_FORCE_EMULATION=1 asks for it. What is looked at is
# the process a 32-bit program really runs in (its /proc/PID/exe), started by
# the tests' own runner, not what the set-up says it chose.
#
#   bash scripts/check-wine32-route.sh
#
# Exits 0 when the route is right, 1 when not, 77 (skipped) where the kernel
# executes i386 programs but the set-up found that Wine does not start natively.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
sysroot="$root/build/wine32/sysroot"
ready="$root/build/wine32/ready"
if [ ! -f "$ready" ]; then
    echo "No 32-bit Wine set up: run bash scripts/wine32-setup.sh" >&2
    exit 1
fi
recorded=$(sed -n 3p "$ready")
decision=$(sed -n 4p "$ready")

# The route this machine calls for.
if [ "${SNAP_WINE32_FORCE_EMULATION:-}" = 1 ] || [ "$recorded" = forced ]; then
    expected=emulated
    because="emulation is forced"
elif "$sysroot/lib/ld-linux.so.2" --library-path "$sysroot/lib/i386-linux-gnu" \
    "$sysroot/bin/true" >/dev/null 2>&1; then
    if [ "$recorded" = native-failed ]; then
        echo "Skipped: $decision"
        exit 77
    fi
    expected=native
    because="the kernel executes i386 programs"
else
    expected=emulated
    because="the kernel does not execute i386 programs"
fi

# A 32-bit program that says it runs, then waits for a line: while it waits,
# its process is Wine's i386 loader itself or the emulator running it.
work=$(mktemp -d)
pid=
cleanup() {
    exec 3>&- 4<&- || true
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mkfifo "$work/in" "$work/out"
"$root/cmake/wine32-run.sh" cmd /c "echo running& set /p line=" <"$work/in" >"$work/out" 2>/dev/null &
pid=$!
exec 3>"$work/in" 4<"$work/out"
if ! read -r -t 120 _ <&4; then
    echo "The 32-bit cmd.exe did not start through cmake/wine32-run.sh" >&2
    exit 1
fi
exe=$(readlink "/proc/$pid/exe" || true)
echo >&3
wait "$pid" || true
pid=
case $exe in
*/wine.elf) route=native ;;
*/qemu-i386*) route=emulated ;;
*)
    echo "The 32-bit program runs in an unknown process: $exe" >&2
    exit 1
    ;;
esac

echo "The 32-bit programs run $route ($exe); expected $expected: $because."
echo "The set-up said: ${decision:-(nothing)}"
[ "$route" = "$expected" ] || exit 1
# The set-up's decision line names the route taken.
case $decision in
*"$route i386 execution"*) ;;
*)
    echo "The set-up's decision line does not name the $route route" >&2
    exit 1
    ;;
esac
