#!/bin/sh
# Packs the release from a build: dustrel-<version>-win32.zip with
# dustrel.exe, README.txt, CHANGELOG.txt and LICENSE.txt, and its SHA-256
# file beside it.
# The same inputs give the same zip byte for byte: the entries go in a fixed
# order with one fixed time (SOURCE_DATE_EPOCH, else the commit's time) and
# fixed modes, and without the extra fields that hold owners and times.
# Usage: pack.sh BUILD_DIR OUTPUT_DIR; prints the paths of both files.
set -eu
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(cd "$1" && pwd)
mkdir -p "$2"
output_dir=$(cd "$2" && pwd)

version=$(sed -n 's/^#define DUSTREL_VERSION "\(.*\)"$/\1/p' "$source_dir/src/common/version.h")
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null || true)}
if [ -z "$epoch" ]; then
    echo "pack.sh: no commit to take the time from; set SOURCE_DATE_EPOCH" >&2
    exit 1
fi
zip_name="dustrel-$version-win32.zip"

stage="$output_dir/stage"
rm -rf "$stage" "${output_dir:?}/$zip_name" "$output_dir/$zip_name.sha256"
mkdir -p "$stage"
cp "$build_dir/dustrel.exe" "$build_dir/packaging/README.txt" "$build_dir/packaging/CHANGELOG.txt" \
    "$build_dir/packaging/LICENSE.txt" "$stage/"
chmod 644 "$stage"/*
touch -d "@$epoch" "$stage"/*
# Zip keeps local times: in UTC they are the same on every machine.
(cd "$stage" && TZ=UTC zip -q -X -D "../$zip_name" dustrel.exe README.txt CHANGELOG.txt LICENSE.txt)
rm -rf "$stage"
(cd "$output_dir" && sha256sum "$zip_name" >"$zip_name.sha256")
echo "$output_dir/$zip_name"
echo "$output_dir/$zip_name.sha256"
