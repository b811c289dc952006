#!/bin/sh
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for a
# bounded time from its seed corpus in tests/fuzz/corpus/<target>/.
#   sh tools/fuzz.sh [seconds per target, default 20]
# New inputs the fuzzer finds go to build-fuzz/corpus/<target>/ (the seeds in
# the repository stay as they are); a crash, leak, undefined behaviour or a
# hang leaves its input in build-fuzz/artifacts/ and fails the run.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-20}
targets="fuzz_receive fuzz_project_open fuzz_names_roundtrip fuzz_config_words fuzz_results_file"

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS="$flags -O1" \
    -DKT7_FUZZ=ON -DKT7_BENCH=OFF >/dev/null
# shellcheck disable=SC2086
cmake --build build-fuzz -j2 --target $targets

export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
mkdir -p build-fuzz/artifacts
for t in $targets; do
    mkdir -p "build-fuzz/corpus/$t"
    echo "== $t: $seconds s"
    log="build-fuzz/$t.log"
    if ! "./build-fuzz/tests/fuzz/$t" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
        -max_len=8192 -print_final_stats=1 -artifact_prefix="build-fuzz/artifacts/$t-" \
        "build-fuzz/corpus/$t" "tests/fuzz/corpus/$t" >"$log" 2>&1; then
        tail -n 40 "$log" >&2
        echo "$t failed; the input is in build-fuzz/artifacts/" >&2
        exit 1
    fi
    grep -E "^stat::(number_of_executed_units|peak_rss_mb)" "$log" || true
done
