#!/bin/sh
# Runs the sweep benchmark: builds dustrel.exe and the floor program into a
# build folder of the benchmark's own (build-benchmark/, or
# $DUSTREL_BENCH_BUILD), starts a persistent Wine server in that folder's own
# prefix, times every contender on fresh trees, prints the results and
# writes them to bench/results.md. Extra arguments go to bench/bench.py,
# for example --runs 3 --sizes 1000,10000.
#
# The prefix is made as scripts/wine-run.sh makes the tests' prefix: no drive
# reaches the machine's root; T: is the benchmark's scratch folder.
set -eu
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${DUSTREL_BENCH_BUILD:-$source_dir/build-benchmark}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

"$source_dir/scripts/setup.sh"
# strace counts write calls, GNU time measures max RSS.
for tool in strace:strace time:/usr/bin/time python3:python3; do
    if ! command -v "${tool#*:}" >/dev/null 2>&1; then
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${tool%%:*}" >/dev/null
    fi
done

cmake -S "$source_dir" -B "$build_dir" -DDUSTREL_TESTS=OFF -DDUSTREL_BENCH=ON >/dev/null
cmake --build "$build_dir" -j "$(nproc)" >/dev/null

wine_run="$source_dir/scripts/wine-run.sh"
"$wine_run" "$build_dir" --start
trap '"$wine_run" "$build_dir" --stop' EXIT INT TERM
python3 "$source_dir/bench/bench.py" --build "$build_dir" --results "$source_dir/bench/results.md" "$@"
