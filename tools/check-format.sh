#!/bin/sh
# Fails when a tracked C++ source differs from what clang-format makes of it
# with the project's .clang-format. Without clang-format it says so and passes.
set -eu
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null 2>&1; then
    echo "format: clang-format is not installed, not checked"
    exit 0
fi
report=$(mktemp)
trap 'rm -f "$report"' EXIT
if git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror 2>"$report"; then
    echo "format: $(git ls-files '*.cpp' '*.h' | wc -l) files as clang-format leaves them"
    exit 0
fi
grep -E '^[^ ].*: error:' "$report" | sed 's/:[0-9]*:[0-9]*: error:.*//' | sort -u | sed 's/^/not formatted: /'
echo "format: run clang-format -i on the files above"
exit 1
