#!/usr/bin/env bash
# Installs what the build and the tests need, only what is missing.
# Debian, as root. Never wine32: on a kernel that cannot run 32-bit Linux
# binaries, `wine` then fails for 64-bit programs too. The 32-bit programs run
# under a private, unpacked 32-bit Wine instead (scripts/wine32-setup.sh).
set -euo pipefail

packages=(
    cmake ninja-build
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
    binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    googletest
    wine wine64 xvfb xdotool imagemagick gawk
    nsis
    clang libclang-rt-14-dev llvm-14
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if dpkg-query -W -f='${Status}' wine32 2>/dev/null | grep -q "install ok installed"; then
    echo "wine32 is installed: Wine cannot run here with it. Remove it (apt-get remove wine32)." >&2
    exit 1
fi
