#!/bin/sh
# Sets up a fresh Debian machine for kt7config, builds it into build/ and then
#   run   starts the tool on the current display
#   test  runs the whole test suite headless
set -eu
cd "$(dirname "$0")/.."

PACKAGES="g++ cmake ninja-build pkg-config qt6-base-dev libzip-dev libgtest-dev fonts-dejavu-core libqt6svg6 qt6-translations-l10n desktop-file-utils libxml2-utils shared-mime-info clang libclang-rt-14-dev appstream ccache clang-format git"

missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    line="apt-get update && apt-get install -y$missing"
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages. Run as root:"
        echo "  $line"
        exit 1
    fi
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y $missing
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build

case "${1:-run}" in
    run)
        exec ./build/app/kt7config ;;
    test)
        cd build
        QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 300 ;;
    *)
        echo "usage: $0 run|test" >&2; exit 2 ;;
esac
