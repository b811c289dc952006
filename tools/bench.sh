#!/bin/sh
# Builds every benchmark in the release build tree build/ and runs them all,
# kt7tool's among them (bench_link, bench_tool).
#   sh tools/bench.sh
# Another tree can be named in KT7_BUILD (it is configured if new).
set -eu
cd "$(dirname "$0")/.."
build=${KT7_BUILD:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target run_benchmarks
