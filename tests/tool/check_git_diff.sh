#!/bin/sh
# A project kept in git shows its changes as facts in git diff, git log -p and
# git show when kt7tool show is its text conversion, set up with the two lines
# the README gives.
#   check_git_diff.sh <kt7tool>
set -u
tool=$(realpath "$1")
repo=$(mktemp -d)
trap 'rm -rf "$repo"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
command -v git >/dev/null 2>&1 || { echo "FAIL: git is not installed"; exit 1; }

cd "$repo" || exit 1
export GIT_CONFIG_NOSYSTEM=1 HOME="$repo" GIT_AUTHOR_NAME=kt7 GIT_AUTHOR_EMAIL=kt7@localhost \
    GIT_COMMITTER_NAME=kt7 GIT_COMMITTER_EMAIL=kt7@localhost
git init -q . || exit 1
echo '*.usr diff=kt7config' >.gitattributes
git config diff.kt7config.textconv 'kt7tool show'
PATH="$(dirname "$tool"):$PATH"

# put OFFSET BYTE: one byte of the image, in octal as printf takes it.
put() { printf "\\$2" | dd of=site.usr bs=1 seek="$1" conv=notrunc 2>/dev/null; }

head -c 2048 /dev/zero >site.usr
printf '[Scenic]\r\nItem0=\r\n' >site.ini
git add . && git commit -qm "new site" || exit 1

# IN-1 on with a delay of 01:30 (head byte 0x98), stage 1 for 30 s playing
# on splitter 1 OUT2 (mask byte 0x40), and the algorithm named.
put 48 230
put 49 002
put 51 100
# The name "Пожар" in Windows-1251, as names files hold it.
fire=$(printf '\317\356\346\340\360')
printf '[Scenic]\r\nItem0=%s\r\n' "$fire" >site.ini
git commit -qam "IN-1 on" || exit 1

git log -p >log.txt 2>err.txt || fail "git log -p failed: $(cat err.txt)"
[ -s err.txt ] && fail "git log -p warns: $(cat err.txt)"
for line in '+IN-1, Время задержки (мин:сек): 01:30' '+IN-1, Этап 1, Время работы этапа: 00:30' \
            '+IN-1, Этап 1, Zarna KT7-LB №1 OUT2' "+Item0=$fire"; do
    grep -aqF -- "$line" log.txt || fail "git log -p lacks '$line'"
done
grep -aq 'Binary files' log.txt && fail "git log -p shows the image as binary"

git show HEAD -- site.usr >show.txt 2>err.txt || fail "git show failed: $(cat err.txt)"
[ -s err.txt ] && fail "git show warns: $(cat err.txt)"
grep -qF '+IN-1, Этап 1, Время работы этапа: 00:30' show.txt || fail "git show lacks the stage's running time"

# An edit not yet committed: the running time of stage 1 goes to 01:00.
put 49 004
git diff >diff.txt 2>err.txt || fail "git diff failed: $(cat err.txt)"
[ -s err.txt ] && fail "git diff warns: $(cat err.txt)"
grep -qF -- '-IN-1, Этап 1, Время работы этапа: 00:30' diff.txt || fail "git diff lacks the old running time"
grep -qF -- '+IN-1, Этап 1, Время работы этапа: 01:00' diff.txt || fail "git diff lacks the new running time"

[ "$failures" -eq 0 ] && echo "git shows the project's changes as facts"
exit "$failures"
