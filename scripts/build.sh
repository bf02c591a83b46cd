#!/bin/sh
# Configures and builds into build/ (or $DUSTREL_BUILD). Extra arguments go
# to the build, for example --target dustrel.
set -eu
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${DUSTREL_BUILD:-$source_dir/build}
cmake -S "$source_dir" -B "$build_dir" >/dev/null
cmake --build "$build_dir" -j "$(nproc)" "$@"
