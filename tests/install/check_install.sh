#!/bin/sh
# Installs the build into a scratch prefix and checks the tree a Debian desktop
# expects: programs, manual pages, menu entry, AppStream metadata, icons and
# the user guide with its pictures.
#   check_install.sh <build dir> <source dir>
set -u
build=$1
source=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1; then
    cat "$prefix.log"; rm -f "$prefix.log"
    echo "FAIL: cmake --install"; exit 1
fi
rm -f "$prefix.log"

for program in kt7config kt7tool kt7sim; do
    file="$prefix/bin/$program"
    if [ ! -f "$file" ]; then fail "$program not installed"; continue; fi
    [ -x "$file" ] || fail "$program is not executable"
    head -c 4 "$file" | od -An -c | grep -q 'E   L   F' || fail "$program is not a program"
done
# The installed simulator and kt7tool find their libraries and start.
"$prefix/bin/kt7sim" --help >/dev/null 2>&1 || fail "installed kt7sim does not start"
# Help and version print without a display, so no window system is touched.
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$@"; }
[ "$(nodisplay "$prefix/bin/kt7config" --version 2>/dev/null)" = "kt7config $(sed -n 's/^project(kt7config VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")" ] \
    || fail "kt7config --version does not print its version without a display"
nodisplay "$prefix/bin/kt7config" --help 2>/dev/null | grep -q 'проект.usr' \
    || fail "kt7config --help does not print its help without a display"
nodisplay "$prefix/bin/kt7config" a.usr b.usr >/dev/null 2>&1; [ $? -eq 2 ] \
    || fail "kt7config with two projects does not end with status 2 without a display"
"$prefix/bin/kt7tool" --help >/dev/null 2>&1 || fail "installed kt7tool does not start"

# The bash completion loads and completes the commands and the COM numbers
# of the ports kt7tool lists.
completion="$prefix/share/bash-completion/completions/kt7tool"
if [ ! -f "$completion" ]; then
    fail "bash completion not installed"
elif ! command -v bash >/dev/null 2>&1; then
    echo "no bash here: the completion is not loaded"
else
    words=$(PATH="$prefix/bin:$PATH" bash -c '. "$1" || exit 1
        COMP_WORDS=(kt7tool wr); COMP_CWORD=1; _kt7tool; printf "%s " "${COMPREPLY[@]}"
        COMP_WORDS=(kt7tool write site.usr --fo); COMP_CWORD=3; _kt7tool; printf "%s " "${COMPREPLY[@]}"' \
        sh "$completion" 2>&1)
    [ "$words" = "write --force " ] || fail "bash completion does not load or complete: '$words'"
fi

for page in kt7config kt7tool kt7sim; do
    man="$prefix/share/man/man1/$page.1.gz"
    if [ ! -f "$man" ]; then fail "manual page $page.1 not installed"; continue; fi
    gzip -dc "$man" | grep -q "^\.TH $(echo "$page" | tr a-z A-Z) 1" || fail "$page.1 is no manual page"
done

metainfo=$(ls "$prefix"/share/metainfo/*.metainfo.xml 2>/dev/null | head -n 1)
if [ -z "$metainfo" ]; then
    fail "no AppStream metainfo installed"
else
    grep -q '<launchable type="desktop-id">kt7config.desktop</launchable>' "$metainfo" ||
        fail "metainfo does not launch kt7config.desktop"
    if command -v appstreamcli >/dev/null 2>&1; then
        appstreamcli validate --no-net "$metainfo" >/dev/null 2>&1 || {
            appstreamcli validate --no-net "$metainfo"; fail "metainfo does not validate"; }
    fi
fi

# PNG icons beside the SVG, each of its folder's size (width and height are
# big-endian at bytes 16..23 of a PNG).
for size in 48 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/kt7config.png"
    if [ ! -f "$png" ]; then fail "no ${size}px PNG icon"; continue; fi
    dims=$(od -An -tu1 -j16 -N8 "$png" | tr -s ' ')
    [ "$dims" = " 0 0 $((size / 256)) $((size % 256)) 0 0 $((size / 256)) $((size % 256))" ] ||
        fail "${size}px icon has the size bytes$dims"
done

desktop="$prefix/share/applications/kt7config.desktop"
if [ ! -f "$desktop" ]; then
    fail "desktop entry not installed"
else
    if command -v desktop-file-validate >/dev/null 2>&1; then
        desktop-file-validate "$desktop" || fail "desktop entry does not validate"
    fi
    key() { sed -n "s/^$1=//p" "$desktop" | head -n 1; }
    [ "$(key Type)" = Application ] || fail "Type is not Application"
    for k in 'Name' 'Name\[ru\]' 'Comment' 'Comment\[ru\]'; do
        [ -n "$(key "$k")" ] || fail "desktop entry lacks $k"
    done
    # Cyrillic letters start with byte D0 or D1 in UTF-8.
    cyrillic=$(printf '[\320\321]')
    for k in 'Name\[ru\]' 'Comment\[ru\]'; do
        key "$k" | LC_ALL=C grep -q "$cyrillic" || fail "$k is not Russian"
    done
    exec_program=$(key Exec | cut -d' ' -f1)
    [ -x "$prefix/bin/$exec_program" ] || fail "Exec=$exec_program names no installed program"
    # A project double-clicked in the file manager is handed over as a path.
    [ "$(key Exec)" = "$exec_program %f" ] || fail "Exec does not take the file opened (%f)"
    project_type=application/x-kt7config-project
    key MimeType | tr ';' '\n' | grep -qx "$project_type" || fail "MimeType lacks $project_type"
    icon=$(key Icon)
    svg="$prefix/share/icons/hicolor/scalable/apps/$icon.svg"
    if [ -f "$svg" ]; then
        grep -q '<svg' "$svg" || fail "$icon.svg is not an SVG picture"
    else
        fail "Icon=$icon has no picture in the hicolor theme"
    fi
fi

# The project type: a valid shared-mime-info package that gives *.usr its
# type, its Russian and English names and a document icon.
mime="$prefix/share/mime/packages/kt7config.xml"
if [ ! -f "$mime" ]; then
    fail "MIME package not installed"
else
    xmllint --noout "$mime" || fail "MIME package is not well-formed XML"
    # A scratch database, on the search path so the tool does not warn.
    data=$(mktemp -d)
    database="$data/mime"
    mkdir -p "$database/packages"
    cp "$mime" "$database/packages/"
    XDG_DATA_HOME="$data" XDG_DATA_DIRS="$data" update-mime-database "$database" >"$data/log" 2>&1 \
        || fail "update-mime-database: $(cat "$data/log")"
    [ -s "$data/log" ] && fail "update-mime-database warns: $(cat "$data/log")"
    grep -q ":application/x-kt7config-project:\*\.usr\$" "$database/globs2" 2>/dev/null \
        || fail "*.usr is not given the project type"
    described="$database/application/x-kt7config-project.xml"
    grep -q '<comment>KT7' "$described" 2>/dev/null || fail "project type has no English name"
    grep -q '<comment xml:lang="ru">Проект' "$described" 2>/dev/null || fail "project type has no Russian name"
    rm -rf "$data"
    document="$prefix/share/icons/hicolor/scalable/mimetypes/application-x-kt7config-project.svg"
    grep -q '<svg' "$document" 2>/dev/null || fail "project type has no document icon"
fi

doc="$prefix/share/doc/kt7config"
if [ -f "$doc/README.md" ]; then
    cmp -s "$doc/README.md" "$source/README.md" || fail "installed README differs from the source"
    # Every picture the guide shows must travel with it.
    for picture in $(grep -o 'docs/[A-Za-z0-9_.-]*\.png' "$source/README.md" | sort -u); do
        [ -f "$doc/$picture" ] || fail "guide picture $picture not installed"
    done
else
    fail "README not installed in share/doc/kt7config"
fi

# Nothing installed may be writable by others.
writable=$(find "$prefix" -perm -o+w ! -type l)
[ -z "$writable" ] || fail "writable by others: $writable"

[ "$failures" -eq 0 ] && echo "installed tree complete"
exit "$failures"
