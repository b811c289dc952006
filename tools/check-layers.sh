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
#
# image/, link/, project/ and report/ include no Qt header at all.
# tools/, bench/ and tests/ sit above everything and are not checked.
set -eu
cd "$(dirname "$0")/.."

# Folders built without the toolkit.
qtFree="image link project report"

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
        app)     echo "image link project report serial widgets editor diag app" ;;
    esac
}

status=0
checked=0
for folder in image link project report serial widgets editor diag app; do
    [ -d "$folder" ] || continue
    ok=$(allowed "$folder")
    for file in $(find "$folder" -name '*.h' -o -name '*.cpp' | sort); do
        checked=$((checked + 1))
        # "folder/File.h" includes only; <...> includes are libraries.
        for used in $(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([a-z]*\)\/.*/\1/p' "$file" | sort -u); do
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
edges=$(for folder in image link project report serial widgets editor diag app; do
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
