#!/bin/sh
# Runs a Windows program under Wine in the build's own prefix, made safe for
# tests: no drive reaches the machine's root, the user folders are plain
# folders, COM1-9 and LPT1-9 are plain files of the scratch folder
# (test-scratch/ports/com1 ...), and only these drives exist:
#   C: the prefix's own drive_c      B: the build folder
#   T: the build's test scratch      Z: the prefix folder (a second name for C:\ and C:\windows)
# Usage: wine-run.sh BUILD_DIR PROGRAM [ARGUMENTS...]
#        wine-run.sh BUILD_DIR --start   (a fresh persistent wineserver with
#        the prefix's services and desktop, before tests run; --stop ends it)
set -eu

build_dir=$(cd "$1" && pwd)
shift
prefix="$build_dir/wineprefix"
scratch="$build_dir/test-scratch"

export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="

# The port files the prefix's devices lead to; a device name that reaches
# its device reaches one of these.
make_port_files() {
    mkdir -p "$scratch/ports"
    for port in $ports; do
        [ -e "$scratch/ports/$port" ] || : >"$scratch/ports/$port"
    done
}

ports="com1 com2 com3 com4 com5 com6 com7 com8 com9 lpt1 lpt2 lpt3 lpt4 lpt5 lpt6 lpt7 lpt8 lpt9"

prepare_prefix() {
    make_port_files
    if [ -f "$prefix/.dustrel-ready-2" ]; then
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
    # The mount manager makes the port links afresh at each start, from
    # these values first; the links are replaced too, for what starts first.
    # One import for all: every Wine program is slow to start.
    {
        printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\n'
        for port in $ports; do
            printf '"%s"="%s"\n' "$port" "$scratch/ports/$port"
        done
    } >"$prefix/ports.reg"
    wine regedit /S 'Z:\ports.reg' >/dev/null 2>&1
    rm -f "$prefix/ports.reg"
    for port in $ports; do
        rm -f "$devices/$port"
        ln -s "$scratch/ports/$port" "$devices/$port"
    done
    wineserver -w
    touch "$prefix/.dustrel-ready-2"
}

(
    flock 9
    prepare_prefix
) 9>"$build_dir/wineprefix.lock"

# Processes that the first Wine program starts (services, the desktop)
# inherit its standard handles and live as long as the server: started here,
# they hold /dev/null instead of a test's output pipe.
case "$1" in
    --start)
        wineserver -k 2>/dev/null || true
        wineserver -w
        wineserver -p
        wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
        # The mount manager gives each /dev/ttyS*, /dev/lp* and the like
        # the first port number left free (COM10 on): none is kept.
        for link in "$prefix"/dosdevices/*; do
            case $(readlink "$link") in
                /dev/*) rm -f "$link" ;;
            esac
        done
        exit 0
        ;;
    --stop)
        wineserver -k 2>/dev/null || true
        exit 0
        ;;
esac

# A test program starts with an empty scratch folder of its own, T:\<program>.
program=$(basename "$1" .exe)
case "$program" in
    *_tests)
        rm -rf "${scratch:?}/$program"
        mkdir -p "$scratch/$program"
        ;;
esac
export DUSTREL_SCRATCH_UNIX="$scratch"
export DUSTREL_TEST_SCRATCH="T:\\$program"

exec wine "$@"
