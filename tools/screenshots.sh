#!/bin/sh
# Takes the user guide's pictures from the real windows under a virtual X
# display and writes them to docs/. The simulator plays the controller on
# COM1 for the picture of a write; its port link lives in a scratch folder.
#   tools/screenshots.sh [build dir]     (default: build)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target kt7shots kt7sim
mkdir -p docs
scratch=$(mktemp -d)
export XDG_CONFIG_HOME="$scratch"
"$build/tools/kt7sim" --com 1 >"$scratch/sim.log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null; rm -rf "$scratch"' EXIT
sleep 1
if command -v xvfb-run >/dev/null 2>&1; then
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/tools/screenshots/kt7shots" docs
else
    echo "xvfb-run not found (apt-get install xvfb); drawing off-screen instead" >&2
    QT_QPA_PLATFORM=offscreen "$build/tools/screenshots/kt7shots" docs
fi
ls -l docs/*.png
