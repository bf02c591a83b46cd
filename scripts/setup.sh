#!/bin/sh
# Installs what building and testing Dustrel needs on Debian 12, and nothing when all is there.
# Run as root, or as a user who may use sudo.
set -eu

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

packages="wine wine32:i386 wine64 g++-mingw-w64-i686 binutils-mingw-w64-i686 cmake make googletest xvfb xauth xdotool locales zip"

missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -n "$missing" ]; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        as_root dpkg --add-architecture i386
    fi
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
fi

# The double-byte tests run under the Japanese locale (ANSI code page 932).
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
        echo 'ja_JP.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
    fi
    as_root locale-gen
fi

# Wine runs 32-bit programs through its 32-bit loader, which needs a kernel
# that runs 32-bit x86 programs. Where that is switched off, such programs
# run under qemu's user-mode emulator instead, registered with the kernel
# for them: the same Wine, slower. qemu before 8 keeps its page flags in a
# way that makes every Wine start take minutes: the one from Debian's
# backports is taken, from the mirror this machine already uses.
binfmt=/proc/sys/fs/binfmt_misc
if [ -e "$binfmt/qemu-i386" ] || ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    qemu_major=$(qemu-i386-static --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9]*\).*/\1/p')
    if [ "${qemu_major:-0}" -lt 8 ]; then
        backports=$("$(dirname "$0")/backports-source.sh")
        echo "$backports" | as_root tee /etc/apt/sources.list.d/dustrel-backports.list >/dev/null
        as_root apt-get update -q
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
            -t bookworm-backports qemu-user-static
        # A registration made with another qemu still holds that one open.
        [ ! -e "$binfmt/qemu-i386" ] || echo -1 | as_root tee "$binfmt/qemu-i386" >/dev/null
    fi
    [ -e "$binfmt/register" ] || as_root mount -t binfmt_misc binfmt_misc "$binfmt"
    if [ ! -e "$binfmt/qemu-i386" ]; then
        printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
            | as_root tee "$binfmt/register" >/dev/null
    fi
    /usr/lib/wine/wine --version >/dev/null
fi
