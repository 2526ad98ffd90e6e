#!/usr/bin/env bash
# Builds Snap's installer from installer/Snap.nsi.
#   build-installer.sh TARGET BUILD_DIR OUT_DIR
# TARGET: x86-unicode (the release, whose round trip runs under the 32-bit
# Wine) or amd64-unicode (the same script with a 64-bit stub; untested);
# BUILD_DIR: a configured and built CMake build folder (its bin/Snap.exe is
# the payload, its cache gives the version). Writes
# OUT_DIR/Snap-<version>-setup.exe, or Snap-<version>-setup-amd64.exe, and
# prints that path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

target=$1
build=$(cd "$2" && pwd)
mkdir -p "$3"
out_dir=$(cd "$3" && pwd)

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "No project version in $build/CMakeCache.txt" >&2; exit 1; }
[ -f "$build/bin/Snap.exe" ] || { echo "No $build/bin/Snap.exe: build first" >&2; exit 1; }
case $target in
    x86-unicode) outfile="$out_dir/Snap-$version-setup.exe" ;;
    amd64-unicode) outfile="$out_dir/Snap-$version-setup-amd64.exe" ;;
    *) echo "Unknown target $target" >&2; exit 1 ;;
esac

# -WX: a warning (an unused string, a missing file) fails the build.
makensis -V2 -WX -NOCD \
    "-DTARGET=$target" "-DVERSION=$version" "-DBINDIR=$build/bin" \
    "-DSOURCEDIR=$root" "-DOUTFILE=$outfile" "$root/installer/Snap.nsi" >&2
echo "$outfile"
