#!/bin/sh
# Sets up what is missing, builds and packs the Windows release into
# build/release/ (or $DUSTREL_BUILD/release): dustrel-<version>-win32.zip
# with dustrel.exe, README.txt, CHANGELOG.txt and LICENSE.txt, and its SHA-256 checksum
# file dustrel-<version>-win32.zip.sha256. Packing the same commit again
# gives the same bytes.
set -eu
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${DUSTREL_BUILD:-$source_dir/build}
"$source_dir/scripts/setup.sh"
"$source_dir/scripts/build.sh"
"$source_dir/packaging/pack.sh" "$build_dir" "$build_dir/release"
