#!/bin/sh
# Sets up what is missing, builds and packs the Windows release into
# build/release/ (or $DUSTREL_BUILD/release): dustrel-<version>-win32.zip
# with dustrel.exe, README.txt and LICENSE.txt, and its SHA-256 checksum
# file dustrel-<version>-win32.zip.sha256.
set -eu
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${DUSTREL_BUILD:-$source_dir/build}
"$source_dir/scripts/setup.sh"
"$source_dir/scripts/build.sh"
cd "$build_dir"
cpack -G ZIP
cd release
zip=$(ls -t dustrel-*-win32.zip | head -n 1)
sha256sum -c "$zip.sha256" >/dev/null
echo "$build_dir/release/$zip"
echo "$build_dir/release/$zip.sha256"
