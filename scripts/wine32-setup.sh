#!/usr/bin/env bash
# Prepares a private 32-bit Wine in build/wine32, for running the i686 build:
# Debian's wine32 and the i386 libraries it loads, downloaded with apt-get from
# the machine's own Debian archives and unpacked (never installed) into a
# sysroot; where Wine's i386 loader cannot run natively, QEMU's user-mode
# emulator from bookworm-backports, unpacked beside it. The host's 64-bit Wine
# is left as it is: its wineserver serves the 32-bit processes too.
#
#   bash scripts/wine32-setup.sh
#
# Ends with one line saying which route the 32-bit programs take, native or
# emulated, and why. Native is tried where the kernel executes i386 programs:
# a small 32-bit Windows program must then run through the tests' own runner
# (cmake/wine32-run.sh) in a WoW64 prefix. Otherwise, or with
# SNAP_WINE32_FORCE_EMULATION=1, Wine's i386 loader runs under QEMU.
#
# Idempotent: the sysroot is recorded in build/wine32/sysroot.stamp, the route
# in build/wine32/ready (the stamp, the route, why in a word, the line
# printed); the next run only checks them. Exits non-zero when the 32-bit Wine
# cannot be made.
#
# Why not apt-get install wine32: on a kernel without i386 support the `wine`
# command then goes through the i386 loader and fails for 64-bit programs too.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
base="$root/build/wine32"
sysroot="$base/sysroot"
loader_dir="$sysroot/usr/lib/wine"
libpath="$sysroot/lib/i386-linux-gnu:$sysroot/usr/lib/i386-linux-gnu"

host_wine64=/usr/lib/wine/wine64
if [ ! -x "$host_wine64" ]; then
    echo "No $host_wine64: install wine64 first (scripts/setup.sh)." >&2
    exit 1
fi
wine_version=$(dpkg-query -W -f='${Version}' wine64)
forced=0
[ "${SNAP_WINE32_FORCE_EMULATION:-}" = 1 ] && forced=1

# Whether this kernel executes i386 programs: the sysroot's own loader runs
# its bin/true (the host may have no i386 loader). Prints the error if not.
kernel_runs_i386() {
    # shellcheck disable=SC2069 # the error to the caller, the output away
    "$sysroot/lib/ld-linux.so.2" --library-path "$sysroot/lib/i386-linux-gnu" \
        "$sysroot/bin/true" 2>&1 >/dev/null
}

# What the stamps record: a change of any of these makes a new set-up.
want="wine $wine_version; setup $(sha256sum "$0" | cut -c1-16)"

# A recorded route stays while it still fits: the switch as it was, a kernel
# that still does (or still does not) execute i386 programs. A native route
# that failed its probe is not tried again at every run (remove
# build/wine32/ready for that).
route_still_fits() {
    [ -f "$base/ready" ] && [ "$(sed -n 1p "$base/ready")" = "$want" ] &&
        [ -x "$loader_dir/wine" ] || return 1
    local mode why
    mode=$(sed -n 2p "$base/ready")
    why=$(sed -n 3p "$base/ready")
    if [ $forced = 1 ]; then
        [ "$mode" = emulated ]
        return
    fi
    case $why in
        native-ran) kernel_runs_i386 >/dev/null ;;
        no-i386) ! kernel_runs_i386 >/dev/null ;;
        native-failed) true ;;
        *) false ;; # forced before, or an older set-up
    esac
}
if route_still_fits; then
    sed -n 4p "$base/ready"
    exit 0
fi
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

if [ "$(cat "$base/sysroot.stamp" 2>/dev/null)" != "$want" ] || [ ! -x "$loader_dir/wine.elf" ]; then
    echo "Preparing the private 32-bit Wine in $base (wine32 $wine_version)"
    rm -f "$base/sysroot.stamp"
    rm -rf "$base/qemu" "$base/probe" # made again for this sysroot when wanted
    # The i386 side: wine32 pinned to the host's wine64 (client and server
    # must speak the same protocol), coreutils for the kernel's check, and the
    # libraries Wine opens with dlopen, which no package depends on.
    fetch_and_unpack i386 i386 "$sysroot" "bookworm bookworm-updates bookworm-security" \
        "wine32=$wine_version" "libwine=$wine_version" coreutils \
        libxcomposite1 libxcursor1 libxfixes3 libxi6 libxinerama1 libxrandr2 libxrender1 \
        libxxf86vm1 libgnutls30 libdbus-1-3 libfreetype6 libfontconfig1

    # Wine finds the loader of the other bitness beside its own (the real path
    # of the running loader plus argv[0]'s name with "64" added or taken
    # away): the 64-bit loader in the sysroot must be a copy, not a link back
    # to the host folder (which has no 32-bit loader), and the 32-bit loader
    # is a wrapper that starts the real one natively or under QEMU.
    cp "$host_wine64" "$loader_dir/wine64"
    mkdir -p "$sysroot/usr/lib/x86_64-linux-gnu"
    rm -rf "$sysroot/usr/lib/x86_64-linux-gnu/wine"
    ln -s /usr/lib/x86_64-linux-gnu/wine "$sysroot/usr/lib/x86_64-linux-gnu/wine"
    mv "$loader_dir/wine" "$loader_dir/wine.elf"

    # The i386 dynamic loader's cache of the sysroot's own libraries.
    ldconfig -r "$sysroot" 2>/dev/null || true
    echo "$want" >"$base/sysroot.stamp"
fi

# The wrapper that runs Wine's i386 loader under QEMU, unpacked beside the
# sysroot the first time it is wanted.
write_emulated_wrapper() {
    qemu=$(find "$base/qemu" \( -path '*/bin/qemu-i386' -o -path '*/bin/qemu-i386-static' \) \
        2>/dev/null | head -n1 || true)
    if [ -z "$qemu" ]; then
        # Debian 12's own qemu-user-static is unusably slow for Wine (it treats
        # MAP_FIXED_NOREPLACE as a hint, so Wine's address-space reservation
        # takes a hundred thousand failed mappings); the backport's static
        # qemu-i386 is not.
        fetch_and_unpack qemu amd64 "$base/qemu" "bookworm-backports" "qemu-user/bookworm-backports"
        qemu=$(find "$base/qemu" -path '*/bin/qemu-i386' -o -path '*/bin/qemu-i386-static' | head -n1)
        [ -x "$qemu" ] || { echo "No qemu-i386 in the qemu-user package" >&2; exit 1; }
        find "$base/qemu" -type f -name 'qemu-*' ! -path "$qemu" -delete # 350 MB of other targets
    fi
    cat >"$loader_dir/wine" <<EOF
#!/bin/sh
# The i386 Wine loader of this sysroot, emulated (build/wine32/ready says why).
# -L serves the sysroot as / to the loader (and its ld.so.cache).
export LD_LIBRARY_PATH="$libpath"
export WINELOADERNOEXEC=1
exec "$qemu" -L "$sysroot" -0 "\$0" "$loader_dir/wine.elf" "\$@"
EOF
    chmod +x "$loader_dir/wine"
}

write_native_wrapper() {
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
}

# Whether the native route runs what the tests run: a 32-bit Windows program
# that exits 0, started by the tests' runner with its environment, in a WoW64
# prefix (one of its own, for a moment: the tests' prefix is neither made nor
# changed here). A bare `wine --version` proves nothing: with WINELOADERNOEXEC set, as
# the wrapper must, the loader takes it for a program to start in the default
# prefix, without the DLL path. Prints why on failure.
native_runs_a_program() {
    local dir="$base/probe" failure=
    mkdir -p "$dir"
    : >"$dir/native.log"
    if ! command -v i686-w64-mingw32-gcc >/dev/null; then
        echo "no i686-w64-mingw32-gcc for its test program: run scripts/setup.sh"
        return 1
    fi
    printf 'int main(void) { return 0; }\n' |
        i686-w64-mingw32-gcc -x c - -static -s -o "$dir/exit0.exe" >>"$dir/native.log" 2>&1 ||
        { echo "its test program did not build: ${dir#"$root"/}/native.log"; return 1; }
    # No display: the program shows no window, and the tests' Xvfb is not up yet.
    local status=0
    timeout 900 env -u DISPLAY -u WINE32_DISPLAY \
        bash "$root/scripts/wine32-prefix.sh" "$dir/prefix" >>"$dir/native.log" 2>&1 || status=$?
    if [ $status != 0 ]; then
        failure="no WoW64 prefix could be made natively (status $status)"
    else
        timeout 300 env -u DISPLAY -u WINE32_DISPLAY -u SNAP_WINE_DPI WINEPREFIX32="$dir/prefix" \
            "$root/cmake/wine32-run.sh" "$dir/exit0.exe" </dev/null >>"$dir/native.log" 2>&1 ||
            status=$?
        [ $status = 0 ] || failure="it ended with status $status"
    fi
    # The probe's server and services: stopped by force only after a failure.
    # Its prefix (a gigabyte) goes; the log stays.
    [ $status = 0 ] || WINEPREFIX="$dir/prefix" wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$dir/prefix" wineserver -w >/dev/null 2>&1 || true
    rm -rf "$dir/prefix"
    if [ -n "$failure" ]; then
        echo "$failure; Wine's last words: $(tail -n1 "$dir/native.log" | tr -d '\r');" \
            "see ${dir#"$root"/}/native.log"
        return 1
    fi
}

# The route, and why: a word for the stamp and a line for the log.
if [ $forced = 1 ]; then
    mode=emulated why=forced because="SNAP_WINE32_FORCE_EMULATION=1 asks for it"
elif ! err=$(kernel_runs_i386); then
    mode=emulated why=no-i386
    err=$(printf '%s' "$err" | sed 's/^.*: line [0-9]*: //') # bash's own prefix
    because="this kernel does not execute i386 programs (the sysroot's bin/true: ${err:-failed})"
else
    write_native_wrapper
    # The probe's verdict holds for this sysroot: lifting the switch again
    # does not make another prefix.
    verdict="$base/probe/verdict"
    if [ "$(sed -n 1p "$verdict" 2>/dev/null)" != "$want" ]; then
        probe_started=$SECONDS
        if failure=$(native_runs_a_program); then
            outcome=native-ran
            because="the kernel executes i386 programs and a 32-bit test program ran natively"
            because+=" through cmake/wine32-run.sh in a WoW64 prefix ($((SECONDS - probe_started)) s)"
        else
            outcome=native-failed
            because="the kernel executes i386 programs, but a 32-bit test program did not run"
            because+=" natively through cmake/wine32-run.sh ($failure)"
        fi
        printf '%s\n%s\n%s\n' "$want" "$outcome" "$because" >"$verdict"
    fi
    why=$(sed -n 2p "$verdict")
    because=$(sed -n 3p "$verdict")
    mode=native
    [ "$why" = native-ran ] || mode=emulated
fi
if [ $mode = emulated ]; then
    write_emulated_wrapper
    # An i386 program of the sysroot started the way the wrapper starts Wine's
    # loader shows the emulation works; the Wine prefix proves the rest.
    if ! "$qemu" -L "$sysroot" "$sysroot/bin/true"; then
        echo "An i386 program does not run here under QEMU: $qemu -L $sysroot $sysroot/bin/true" >&2
        exit 1
    fi
fi
line="32-bit Wine: $mode i386 execution, because $because"
printf '%s\n%s\n%s\n%s\n' "$want" "$mode" "$why" "$line" >"$base/ready"
echo "$line"
