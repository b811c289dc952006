#!/bin/sh
# Fails when a folder includes a header from a folder it may not use, a
# toolkit-free folder includes a Qt header, or two units include each other.
# The layers, lowest first; a folder may include its own headers and those of
# the folders listed for it:
#
#   image                       the controller image
#   link, project, report       protocol, file formats, report model and writers;
#                               the report also uses the protocol's hex text,
#                               and a write keeps its backup in the project's store
#   serial                      the serial port component
#   widgets                     the dialog layer and widgets shared by the windows
#   editor, diag                the editor pages, the diagnostic windows
#   app                         the windows that tie the layers together
#   tools/kt7sim                the simulator, on the protocol alone
#   tools/kt7tool               the command line, on the toolkit-free cores
#                               and the serial device
#   tools/screenshots           the guide's pictures, driving the windows
#   tools/iconpng               the icon drawn as PNG, on the toolkit alone
#   bench/*                     the benchmarks, on anything of the product and
#                               the test helpers (tests/support)
#
# Each folder of tools/ and bench/ is a layer of its own: none uses another.
# image/, link/, project/, report/, tools/kt7sim, tools/kt7tool and bench/tool
# include no Qt header at all. tests/ sits above everything and is not checked.
set -eu
cd "$(dirname "$0")/.."

# Folders built without the toolkit.
qtFree="image link project report tools/kt7sim tools/kt7tool bench/tool"
product="image link project report serial widgets editor diag app"

allowed() {
    case $1 in
        image)   echo "image" ;;
        link)    echo "image project link" ;;
        project) echo "image project" ;;
        report)  echo "image link report" ;;
        serial)  echo "serial" ;;
        widgets) echo "widgets" ;;
        editor)  echo "image project widgets editor" ;;
        diag)    echo "image link serial widgets diag" ;;
        app)     echo "$product" ;;
        tools/kt7sim)      echo "image link tools/kt7sim" ;;
        tools/kt7tool)     echo "image link project report serial tools/kt7tool" ;;
        tools/screenshots) echo "$product tools/screenshots" ;;
        tools/iconpng)     echo "tools/iconpng" ;;
        bench/tool)        echo "image project bench/tool" ;;
        bench/*)           echo "$product tests/support $1" ;;
    esac
}

# The folders checked: the product's, and each folder of tools/ and bench/.
folders="$product $(find tools bench -mindepth 1 -maxdepth 1 -type d | sort | tr '\n' ' ')"

# The layer of each "folder/File.h" a file includes: the first part of the
# path, or the first two under tools/, bench/ and tests/.
usedLayers() {
    sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\(\(tools\|bench\|tests\)\/[a-z0-9_]*\)\/.*/\1/p
            t
            s/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([a-z]*\)\/.*/\1/p' "$1" | sort -u
}

status=0
checked=0
for folder in $folders; do
    [ -d "$folder" ] || continue
    ok=$(allowed "$folder")
    if [ -z "$ok" ]; then
        echo "$folder/ has no layer in tools/check-layers.sh"
        status=1
        continue
    fi
    for file in $(find "$folder" -name '*.h' -o -name '*.cpp' | sort); do
        checked=$((checked + 1))
        # "folder/File.h" includes only; <...> includes are libraries.
        for used in $(usedLayers "$file"); do
            case " $ok " in
                *" $used "*) ;;
                *) echo "$file includes $used/, which $folder/ may not use"; status=1 ;;
            esac
        done
        case " $qtFree " in
            *" $folder "*)
                if grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' "$file" >/dev/null; then
                    echo "$file includes a Qt header, which $folder/ may not use"
                    status=1
                fi ;;
        esac
        # A sibling include without its folder hides where the header lives.
        if grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^/"]*"' "$file" >/dev/null; then
            echo "$file includes a header without its folder"
            status=1
        fi
    done
done
# Two units that include each other's headers are one unit in two pairs of
# files: a unit folder/X (X.h and X.cpp) including folder/Y.h while folder/Y
# includes folder/X.h fails, wherever the two live.
edges=$(for folder in $folders; do
    [ -d "$folder" ] || continue
    for file in $(find "$folder" -name '*.h' -o -name '*.cpp'); do
        unit=${file%.*}
        sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([a-z]*\/[^"]*\)\.h".*/\1/p' "$file" |
            while read -r used; do
                [ "$used" = "$unit" ] || echo "$unit $used"
            done
    done
done | sort -u)
circles=$(echo "$edges" | awk 'NF == 2 { edge[$1 " " $2] = 1 } END {
    for (e in edge) { split(e, u, " "); if (u[1] < u[2] && ((u[2] " " u[1]) in edge)) print u[1] " and " u[2] } }' | sort)
if [ -n "$circles" ]; then
    echo "$circles" | while read -r circle; do echo "$circle include each other's headers"; done
    status=1
fi

echo "layers: $checked files checked, $( [ $status -eq 0 ] && echo "no violations" || echo "violations above")"
exit $status
