#!/usr/bin/env bash
# The release files, made afresh in dist/: Snap.exe (i686), its per-user
# installer, the camera simulator in a folder of its own, and SHA256SUMS.
# Installs what is missing (as root, like the other scripts) and builds the
# release preset first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target Snap KelvraTouch

dist="$root/dist"
rm -rf "$dist"
mkdir -p "$dist/camera-simulator"

cp build/release/bin/Snap.exe "$dist/"
bash scripts/build-installer.sh x86-unicode build/release "$dist" >/dev/null
# The simulator ships apart from Snap.exe: beside it, it would stand in for the
# vendor's library. Its README is for Windows users: CRLF line ends.
cp build/release/bin/KelvraTouch.dll "$dist/camera-simulator/"
sed 's/$/\r/' installer/camera-simulator-README.txt >"$dist/camera-simulator/README.txt"

(
    cd "$dist"
    find . -type f ! -name SHA256SUMS -printf '%P\n' | LC_ALL=C sort | xargs -d '\n' sha256sum >SHA256SUMS
    sha256sum --check --quiet SHA256SUMS
)

echo
echo "The release files in $dist:"
(cd "$dist" && find . -type f -printf '%P\t%s bytes\n' | LC_ALL=C sort)
