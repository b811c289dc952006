#!/bin/sh
# Runs every benchmark program of a build tree, one after the other, and
# prints what each measured. A benchmark that fails (or misses the target it
# checks) is named at the end and fails the run; the others still run.
#   sh bench/run_all.sh <build dir>
set -u
build=${1:?usage: $0 <build dir>}
export QT_QPA_PLATFORM=offscreen

failed=""
found=0
for program in $(find "$build/bench" -type f -name 'bench_*' -perm -u+x | sort); do
    name=$(basename "$program")
    found=$((found + 1))
    echo "== $name"
    "$program" || failed="$failed $name"
done
[ -x "$build/bench/link/bench_link" ] || echo "== bench_link: not built (whole-image read and write against the simulator)"
if [ "$found" -eq 0 ]; then
    echo "no benchmark programs under $build/bench" >&2
    exit 1
fi
if [ -n "$failed" ]; then
    echo "failed:$failed" >&2
    exit 1
fi
