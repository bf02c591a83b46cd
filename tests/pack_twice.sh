#!/bin/sh
# The release packed twice from the same build is the same bytes, although
# the time, the files' modes, the time zone and the umask differ.
# Usage: pack_twice.sh BUILD_DIR PACK_SCRIPT
set -eu
build_dir=$1
pack=$2
work="$build_dir/pack_twice"
rm -rf "$work"
for run in 1 2; do
    mkdir -p "$work/$run/packaging"
    cp "$build_dir/dustrel.exe" "$work/$run/"
    cp "$build_dir/packaging/README.txt" "$build_dir/packaging/LICENSE.txt" "$build_dir/packaging/CHANGELOG.txt" \
        "$work/$run/packaging/"
done
chmod 600 "$work/2/dustrel.exe" "$work/2/packaging"/*
export SOURCE_DATE_EPOCH=1767225600
"$pack" "$work/1" "$work/1/release" >/dev/null
sleep 2  # files copied now have another time, to the zip's two seconds
(umask 077 && TZ="<+14>-14" "$pack" "$work/2" "$work/2/release" >/dev/null)
for file in "$work/1/release"/*; do
    cmp "$file" "$work/2/release/$(basename "$file")"
done
echo "two packs, the same bytes: $(cat "$work/1/release"/*.sha256)"
