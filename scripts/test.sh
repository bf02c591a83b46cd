#!/bin/sh
# Sets up what is missing, builds everything and runs every test under Wine,
# inside a virtual display so that the confirmation box can be shown and
# answered. Extra arguments go to ctest, for example -R sweep.
set -eu
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${DUSTREL_BUILD:-$source_dir/build}
"$source_dir/scripts/setup.sh"
"$source_dir/scripts/build.sh"
cd "$build_dir"
# The prefix's desktop keeps the display it started with: its server starts
# afresh inside this display and stops before the display goes away.
wine_run="$source_dir/scripts/wine-run.sh"
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    "$0" "$PWD" --start
    ctest --output-on-failure -j "$(nproc)" "$@"
    code=$?
    "$0" "$PWD" --stop
    exit $code' "$wine_run" "$@"
