#!/bin/sh
# Fails when a folder includes a header from a folder it may not use, or a
# toolkit-free folder includes a Qt header.
# The layers, lowest first; a folder may include its own headers and those of
# the folders listed for it:
#
#   image                       the controller image
#   link, project, report       protocol, file formats, report model and writers;
#                               the report also uses the protocol's hex text
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
        link)    echo "image link" ;;
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
echo "layers: $checked files checked, $( [ $status -eq 0 ] && echo "no violations" || echo "violations above")"
exit $status
