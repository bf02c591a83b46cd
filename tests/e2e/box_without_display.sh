#!/bin/sh
# Without a display the confirmation box cannot be shown: the run must be
# declined with 156, say that /Y runs without it, and delete nothing. A list
# needs no box.
set -u
build_dir=$1
wine_run=$2
scratch="$build_dir/test-scratch/box_without_display"
rm -rf "$scratch"
mkdir -p "$scratch"
touch "$scratch/a.tmp"
# Wine's own processes that outlive the run may hold its standard error: not the test's.
output=$(env -u DISPLAY "$wine_run" "$build_dir" "$build_dir/dustrel.exe" '/p:T:\box_without_display' 2>"$scratch.err")
code=$?
[ "$code" -eq 156 ] || { echo "exit code $code, expected 156"; exit 1; }
expected=$(printf '\r\nNobody can answer the confirmation box here, so nothing was cleaned: /Y runs without it.\r')
[ "$output" = "$expected" ] || { echo "unexpected output: $output"; exit 1; }
[ -e "$scratch/a.tmp" ] || { echo "a.tmp was deleted"; exit 1; }
# A list asks nothing: it runs to its end and deletes nothing.
output=$(env -u DISPLAY "$wine_run" "$build_dir" "$build_dir/dustrel.exe" /l '/p:T:\box_without_display' 2>>"$scratch.err")
code=$?
[ "$code" -eq 0 ] || { echo "/l: exit code $code, expected 0"; exit 1; }
case $output in
    *"Summary: 1 file to delete, "*) ;;
    *) echo "/l: no summary in: $output"; exit 1 ;;
esac
[ -e "$scratch/a.tmp" ] || { echo "/l: a.tmp was deleted"; exit 1; }
echo "declined with 156 and its reason, nothing deleted; listed without a box"
