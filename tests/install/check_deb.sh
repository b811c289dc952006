#!/bin/sh
# Builds the Debian package and checks its control fields and contents.
#   check_deb.sh <build dir>
set -u
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log"; echo "FAIL: cpack"; exit 1
fi
deb=$(ls "$out"/*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "FAIL: no .deb produced"; exit 1; }
echo "package $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB"

[ "$(dpkg-deb -f "$deb" Package)" = kt7config ] || fail "Package is not kt7config"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no Maintainer"
[ -n "$(dpkg-deb -f "$deb" Description)" ] || fail "no Description"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ] || fail "wrong Architecture"

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins libqt6svg6 qt6-translations-l10n libzip4; do
    echo "$depends" | grep -Eq "(^|, )$needed( |,|$)" || fail "Depends lacks $needed"
done
# Every dependency must be a real Debian package; this machine runs the
# program, so each one is installed here.
for package in $(echo "$depends" | sed 's/([^)]*)//g; s/,/ /g'); do
    dpkg-query -W "$package" >/dev/null 2>&1 || fail "Depends names unknown package $package"
done

contents=$(dpkg-deb -c "$deb")
for path in ./usr/bin/kt7config ./usr/bin/kt7tool ./usr/bin/kt7sim ./usr/share/applications/kt7config.desktop \
            ./usr/share/man/man1/kt7tool.1.gz ./usr/share/man/man1/kt7config.1.gz ./usr/share/man/man1/kt7sim.1.gz \
            ./usr/share/metainfo/org.zarna.kt7config.metainfo.xml ./usr/share/icons/hicolor/256x256/apps/kt7config.png \
            ./usr/share/icons/hicolor/scalable/apps/kt7config.svg ./usr/share/doc/kt7config/README.md \
            ./usr/share/mime/packages/kt7config.xml ./usr/share/bash-completion/completions/kt7tool \
            ./usr/share/icons/hicolor/scalable/mimetypes/application-x-kt7config-project.svg; do
    echo "$contents" | grep -q " $path\$" || fail "package lacks $path"
done

[ "$failures" -eq 0 ] && echo "package complete"
exit "$failures"
