#!/bin/sh
# Runs the tests under the sanitizers; any report fails the run.
#   sh tools/sanitize.sh asan   whole test suite, AddressSanitizer + UBSan, in build-asan/
#   sh tools/sanitize.sh tsan   serial and link tests, ThreadSanitizer, in build-tsan/
#   sh tools/sanitize.sh        both
# Debug builds at -O1 by clang: fast enough to build and run on two cores.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)

export QT_QPA_PLATFORM=offscreen
# Qt and fontconfig keep caches for the life of the process; their leaks are
# suppressed by library name only, never anything of our own.
export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="halt_on_error=1:exitcode=23:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="halt_on_error=1:exitcode=23:print_stacktrace=1"
export TSAN_OPTIONS="halt_on_error=1:exitcode=23:second_deadlock_stack=1"

configure() {
    dir=$1 sanitizers=$2
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_CXX_FLAGS="-O1 -fno-sanitize-recover=all" \
        -DKT7_SANITIZE="$sanitizers" -DKT7_BENCH=OFF >/dev/null
}

# The test programs a tree declares, as ctest lists them.
test_targets() {
    sed -n 's/^kt7_test(\([a-z_0-9]*\).*/\1/p' tests/*/CMakeLists.txt
}

asan() {
    configure build-asan address,undefined
    # shellcheck disable=SC2046
    cmake --build build-asan -j2 --target $(test_targets)
    # The cases of the test programs (named Suite.Case); a case that only
    # misses a timing target under the sanitizers' slowdown gets one retry.
    (cd build-asan && ctest --output-on-failure -j2 --timeout 600 -R '[.]' --repeat until-pass:2)
}

tsan() {
    configure build-tsan thread
    # The main window's link tests (test_linkgui) stay out: they start kt7sim
    # through QProcess, whose clone() call aborts clang 14's ThreadSanitizer
    # runtime (CHECK failed in ForkAfter) before any test runs. They run
    # under AddressSanitizer with the rest.
    cmake --build build-tsan -j2 --target test_serial test_link
    build-tsan/tests/serial/test_serial
    build-tsan/tests/link/test_link
}

case "${1:-all}" in
    asan) asan ;;
    tsan) tsan ;;
    all) asan; tsan ;;
    *) echo "usage: $0 [asan|tsan|all]" >&2; exit 2 ;;
esac
