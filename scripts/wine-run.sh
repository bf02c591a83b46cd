#!/bin/sh
# Runs a Windows program under Wine in the build's own prefix, made safe for
# tests: no drive reaches the machine's root, the user folders are plain
# folders, and only these drives exist:
#   C: the prefix's own drive_c      B: the build folder
#   T: the build's test scratch      Z: the prefix folder (a second name for C:\ and C:\windows)
# Usage: wine-run.sh BUILD_DIR PROGRAM [ARGUMENTS...]
set -eu

build_dir=$(cd "$1" && pwd)
shift
prefix="$build_dir/wineprefix"
scratch="$build_dir/test-scratch"

export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="

prepare_prefix() {
    if [ -f "$prefix/.dustrel-ready" ]; then
        return
    fi
    rm -rf "$prefix"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    devices="$prefix/dosdevices"
    for link in "$devices"/*:; do
        [ "$link" = "$devices/c:" ] || rm -f "$link"
    done
    mkdir -p "$scratch"
    ln -s "$build_dir" "$devices/b:"
    ln -s "$scratch" "$devices/t:"
    ln -s "$prefix" "$devices/z:"
    # The user folders are links into the machine's home: make them plain.
    for folder in "$prefix"/drive_c/users/*/*; do
        if [ -L "$folder" ]; then
            rm -f "$folder"
            mkdir -p "$folder"
        fi
    done
    touch "$prefix/.dustrel-ready"
}

(
    flock 9
    prepare_prefix
) 9>"$build_dir/wineprefix.lock"

exec wine "$@"
