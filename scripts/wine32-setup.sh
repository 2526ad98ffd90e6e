#!/usr/bin/env bash
# Prepares a private 32-bit Wine in build/wine32, for running the i686 build:
# Debian's wine32 and the i386 libraries it loads, downloaded with apt-get from
# the machine's own Debian archives and unpacked (never installed) into a
# sysroot; on a kernel that cannot execute i386 programs, QEMU's user-mode
# emulator from bookworm-backports, unpacked beside it. The host's 64-bit Wine
# is left as it is: its wineserver serves the 32-bit processes too.
#
#   bash scripts/wine32-setup.sh        prints the kernel mode when ready
#
# Idempotent: a finished set-up is recorded in build/wine32/ready and the next
# run only checks it. Exits non-zero when the 32-bit Wine cannot be made.
#
# Why not apt-get install wine32: on a kernel without i386 support the `wine`
# command then goes through the i386 loader and fails for 64-bit programs too.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
base="$root/build/wine32"
sysroot="$base/sysroot"
loader_dir="$sysroot/usr/lib/wine"

host_wine64=/usr/lib/wine/wine64
if [ ! -x "$host_wine64" ]; then
    echo "No $host_wine64: install wine64 first (scripts/setup.sh)." >&2
    exit 1
fi
wine_version=$(dpkg-query -W -f='${Version}' wine64)

# Whether this kernel executes i386 programs: the i386 loader of the sysroot
# itself is the probe (the host may have none).
kernel_mode() {
    if "$sysroot/lib/ld-linux.so.2" --verify "$sysroot/bin/true" >/dev/null 2>&1 ||
        "$sysroot/lib/ld-linux.so.2" --library-path "$sysroot/lib/i386-linux-gnu" \
            "$sysroot/bin/true" >/dev/null 2>&1; then
        echo native
    else
        echo emulated
    fi
}

# What the ready stamp records: a change of any of these makes a new set-up.
want="wine $wine_version; setup $(sha256sum "$0" | cut -c1-16)"
if [ -f "$base/ready" ] && [ "$(sed -n 1p "$base/ready")" = "$want" ] &&
    [ -x "$loader_dir/wine" ]; then
    mode=$(sed -n 2p "$base/ready")
    # The kernel may have changed under a kept build folder (another machine);
    # emulation works on any.
    if [ "$mode" = emulated ] || [ "$mode" = "$(kernel_mode)" ]; then
        echo "32-bit Wine ready ($mode i386 execution)"
        exit 0
    fi
fi

echo "Preparing the private 32-bit Wine in $base (wine32 $wine_version)"
rm -f "$base/ready"
mkdir -p "$base"

# The archives this machine already uses: the URIs of its deb822 or one-line
# sources for bookworm and bookworm-security.
debian_uri=$(grep -hsE '^(URIs:|deb )' /etc/apt/sources.list.d/*.sources /etc/apt/sources.list |
    grep -oE 'https?://[^ ]*/debian/?$' | head -n1 || true)
security_uri=$(grep -hsE '^(URIs:|deb )' /etc/apt/sources.list.d/*.sources /etc/apt/sources.list |
    grep -oE 'https?://[^ ]*/debian-security/?' | head -n1 || true)
debian_uri=${debian_uri:-http://deb.debian.org/debian}
security_uri=${security_uri:-http://deb.debian.org/debian-security}
keyring=/usr/share/keyrings/debian-archive-keyring.gpg

# A private APT of its own architecture: own state, cache, sources and an empty
# dpkg status, so it resolves the whole closure and changes nothing of the host.
#   private_apt NAME ARCH SUITES...   (sets $apt_config)
private_apt() {
    local name=$1 arch=$2
    shift 2
    local dir="$base/apt-$name"
    mkdir -p "$dir"/{state/lists/partial,cache/archives/partial,etc/apt.conf.d,etc/preferences.d,etc/sources.list.d}
    : >"$dir/state/status"
    {
        local suite
        for suite in "$@"; do
            case $suite in
                *-security) echo "deb [signed-by=$keyring] $security_uri $suite main" ;;
                *) echo "deb [signed-by=$keyring] $debian_uri $suite main" ;;
            esac
        done
    } >"$dir/etc/sources.list"
    cat >"$dir/apt.conf" <<EOF
APT::Architecture "$arch";
APT::Architectures { "$arch"; };
Dir::State "$dir/state";
Dir::State::status "$dir/state/status";
Dir::Cache "$dir/cache";
Dir::Etc::SourceList "$dir/etc/sources.list";
Dir::Etc::SourceParts "$dir/etc/sources.list.d";
Dir::Etc::Parts "$dir/etc/apt.conf.d";
Dir::Etc::Preferences "$dir/etc/preferences";
Dir::Etc::PreferencesParts "$dir/etc/preferences.d";
Acquire::Languages "none";
Acquire::Check-Valid-Until "false";
APT::Install-Recommends "false";
EOF
    apt_config="$dir/apt.conf"
}

# Downloads PACKAGES... with the private APT and unpacks every .deb into DEST.
fetch_and_unpack() { # name arch dest "suites" packages...
    local name=$1 arch=$2 dest=$3 suites=$4
    shift 4
    # shellcheck disable=SC2086 # the suites are words
    private_apt "$name" "$arch" $suites
    APT_CONFIG=$apt_config apt-get -q update >"$base/apt-$name/update.log" 2>&1 ||
        { cat "$base/apt-$name/update.log" >&2; return 1; }
    APT_CONFIG=$apt_config apt-get -q -y -d install "$@" >"$base/apt-$name/install.log" 2>&1 ||
        { cat "$base/apt-$name/install.log" >&2; return 1; }
    rm -rf "$dest"
    mkdir -p "$dest"
    local deb count=0
    for deb in "$base/apt-$name/cache/archives/"*.deb; do
        dpkg-deb -x "$deb" "$dest"
        count=$((count + 1))
    done
    echo "  $name: $count packages unpacked into $dest"
}

# The i386 side: wine32 pinned to the host's wine64 (client and server must
# speak the same protocol), coreutils for the probe, and the libraries Wine
# opens with dlopen, which no package depends on.
fetch_and_unpack i386 i386 "$sysroot" "bookworm bookworm-updates bookworm-security" \
    "wine32=$wine_version" "libwine=$wine_version" coreutils \
    libxcomposite1 libxcursor1 libxfixes3 libxi6 libxinerama1 libxrandr2 libxrender1 \
    libxxf86vm1 libgnutls30 libdbus-1-3 libfreetype6 libfontconfig1

# Wine finds the loader of the other bitness beside its own (the real path of
# the running loader plus argv[0]'s name with "64" added or taken away): the
# 64-bit loader in the sysroot must be a copy, not a link back to the host
# folder (which has no 32-bit loader), and the 32-bit loader is a wrapper that
# starts the real one natively or under QEMU.
cp "$host_wine64" "$loader_dir/wine64"
mkdir -p "$sysroot/usr/lib/x86_64-linux-gnu"
rm -rf "$sysroot/usr/lib/x86_64-linux-gnu/wine"
ln -s /usr/lib/x86_64-linux-gnu/wine "$sysroot/usr/lib/x86_64-linux-gnu/wine"
mv "$loader_dir/wine" "$loader_dir/wine.elf"

# The i386 dynamic loader's cache of the sysroot's own libraries.
ldconfig -r "$sysroot" 2>/dev/null || true
libpath="$sysroot/lib/i386-linux-gnu:$sysroot/usr/lib/i386-linux-gnu"

emulate() {
    # Debian 12's own qemu-user-static is unusably slow for Wine (it treats
    # MAP_FIXED_NOREPLACE as a hint, so Wine's address-space reservation takes
    # a hundred thousand failed mappings); the backport's static qemu-i386
    # is not.
    fetch_and_unpack qemu amd64 "$base/qemu" "bookworm-backports" "qemu-user/bookworm-backports"
    qemu=$(find "$base/qemu" -path '*/bin/qemu-i386' -o -path '*/bin/qemu-i386-static' | head -n1)
    [ -x "$qemu" ] || { echo "No qemu-i386 in the qemu-user package" >&2; exit 1; }
    find "$base/qemu" -type f -name 'qemu-*' ! -path "$qemu" -delete # 350 MB of other targets
    cat >"$loader_dir/wine" <<EOF
#!/bin/sh
# The i386 Wine loader of this sysroot, emulated: this kernel cannot execute
# i386 programs (or its native route did not start Wine). -L serves the
# sysroot as / to the loader (and its ld.so.cache).
export LD_LIBRARY_PATH="$libpath"
export WINELOADERNOEXEC=1
exec "$qemu" -L "$sysroot" -0 "\$0" "$loader_dir/wine.elf" "\$@"
EOF
    chmod +x "$loader_dir/wine"
}

mode=$(kernel_mode)
if [ "$mode" = native ]; then
    # The loader's interpreter is /lib/ld-linux.so.2: it must be the program
    # the kernel starts, since Wine finds its folder through /proc/self/exe.
    # libc6-i386 is an amd64 package that provides it.
    if [ ! -e /lib/ld-linux.so.2 ]; then
        export DEBIAN_FRONTEND=noninteractive
        apt-get install -y -q --no-install-recommends libc6-i386 ||
            { apt-get update -q && apt-get install -y -q --no-install-recommends libc6-i386; } ||
            true
    fi
    cat >"$loader_dir/wine" <<EOF
#!/bin/bash
# The i386 Wine loader of this sysroot, run natively with its own libraries.
export LD_LIBRARY_PATH="$libpath"
export WINELOADERNOEXEC=1
exec -a "\$0" "$loader_dir/wine.elf" "\$@"
EOF
    chmod +x "$loader_dir/wine"
    # The native route must start Wine's own loader, not only a small
    # program: where it does not, emulation does the job, more slowly.
    if ! "$loader_dir/wine" --version >/dev/null 2>&1; then
        echo "The i386 Wine loader does not start natively here: emulating it instead" >&2
        mode=emulated
    fi
fi
if [ "$mode" = emulated ]; then
    emulate
fi

# An i386 program of the sysroot started the way the wrapper starts Wine's
# loader shows the route works; the Wine prefix proves the rest.
if [ "$mode" = native ]; then
    probe=(env LD_LIBRARY_PATH="$libpath" "$sysroot/bin/true")
else
    probe=("$qemu" -L "$sysroot" "$sysroot/bin/true")
fi
if ! "${probe[@]}"; then
    echo "An i386 program does not run here ($mode i386 execution): ${probe[*]}" >&2
    exit 1
fi
printf '%s\n%s\n' "$want" "$mode" >"$base/ready"
echo "32-bit Wine ready ($mode i386 execution)"
