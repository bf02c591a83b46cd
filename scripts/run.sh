#!/bin/sh
# Sets up what is missing, builds dustrel.exe and runs it under Wine with the
# arguments given. It runs in a Wine prefix of the build's own
# (build/wineprefix-run), whose Z: drive is the machine's root, so a folder
# on this machine is named as Z:\path\to\folder. Without a display the
# confirmation box cannot be shown: give /Y.
set -eu
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${DUSTREL_BUILD:-$source_dir/build}
"$source_dir/scripts/setup.sh"
"$source_dir/scripts/build.sh" --target dustrel >/dev/null
export WINEPREFIX="$build_dir/wineprefix-run"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
exec wine "$build_dir/dustrel.exe" "$@"
