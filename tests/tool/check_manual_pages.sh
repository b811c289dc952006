#!/bin/sh
# The manual pages name the commands and options the programs' help lists,
# no more and no fewer: kt7tool's commands in SYNOPSIS and COMMANDS, its
# options in OPTIONS, kt7sim's options in the whole page.
#   check_manual_pages.sh <kt7tool> <kt7sim> <folder of the manual pages>
set -u
tool=$1
sim=$2
man=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The options a help text lists: each line that starts with an option, its
# label's spellings ("-v, --verbose" gives both), without "-" and "--".
helpOptions() {
    sed -n 's/^  \(-[^ ,]*\)\(, \(-[^ ]*\)\)\{0,1\}.*/\1 \3/p' | tr ' ' '\n' | grep -e '^--*[a-z]' | sort -u
}
# The tags of a page's .TP paragraphs, in the section named (all sections
# when none is), as the words they start with.
tags() {
    awk -v section="$2" '
        /^\.SH / { name = substr($0, 5); next }
        section != "" && name != section { tp = 0; next }
        /^\.TP/ { tp = 1; next }
        tp { print; tp = 0 }' "$1"
}
manOptions() {
    sed 's/\\-/-/g' | grep -o -e '--*[a-z][-a-z]*' | sort -u
}
same() {
    if [ "$2" != "$3" ]; then
        fail "$1 differ: help has"; echo "$2" | tr '\n' ' '; echo
        echo "  and the manual page"; echo "$3" | tr '\n' ' '; echo
    fi
}

help=$("$tool" --help) || fail "kt7tool --help"
commands=$(echo "$help" | sed -n 's/^  kt7tool \([a-z][a-z]*\).*/\1/p' | sort)
[ -n "$commands" ] || fail "kt7tool --help lists no commands"
same "kt7tool's commands in SYNOPSIS" "$commands" \
    "$(sed -n '/^\.SH SYNOPSIS/,/^\.SH/ s/^\.B kt7tool \([a-z][a-z]*\).*/\1/p' "$man/kt7tool.1" | sort)"
same "kt7tool's commands in COMMANDS" "$commands" \
    "$(tags "$man/kt7tool.1" COMMANDS | sed -n 's/^\.BI\{0,1\} \([a-z][a-z]*\).*/\1/p' | sort)"
same "kt7tool's options" "$(echo "$help" | helpOptions)" "$(tags "$man/kt7tool.1" OPTIONS | manOptions)"
for command in $commands; do
    "$tool" "$command" --help | head -n 1 | grep -q "^usage: kt7tool $command" \
        || fail "kt7tool $command --help is not its own usage"
done

same "kt7sim's options" "$("$sim" --help | helpOptions)" "$(tags "$man/kt7sim.1" "" | manOptions)"

[ "$failures" -eq 0 ] || exit 1
echo "manual pages: the commands and options of kt7tool and kt7sim as their help lists them"
