#!/usr/bin/env bash
# Hue files in real git repositories, with Debian's git and `hues git-setup`: a clean merge and
# a conflict (git's status unmerged, the file whole and exact), a rebase, a cherry-pick, a
# criss-cross merge (git merges the bases first, through the driver too), `git log -p` through
# the JSON listing, HUES_MERGE_PREFER, git-setup run twice and undone, and the commit hook of
# git-setup --check; in a folder whose name has spaces. Usage: git_merge.sh HUES MAKE_SAMPLE WORK_DIR
set -euo pipefail
hues=$1 make_sample=$2
work="$3/a repo with spaces"
rm -rf "$work"
mkdir -p "$work"
cd "$work"
# Git looks for no repository above this folder: not the checkout the tests may be built in.
export GIT_CEILING_DIRECTORIES="$work"
export GIT_CONFIG_NOSYSTEM=1 HOME="$work/home" GIT_AUTHOR_DATE="2026-12-08T10:00:00" \
    GIT_COMMITTER_DATE="2026-12-08T10:00:00"
mkdir -p "$HOME"
failures=0
check() {  # check WHAT COMMAND...: the command must succeed
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what" >&2; failures=$((failures + 1)); fi
}
same() { cmp -s "$1" "$2"; }
set_hue() { "$hues" -f "$1" set "${@:2}" --no-backup >/dev/null 2>&1; }

git init -q -b main repo
cd repo
git config user.email tests@example.org
git config user.name Tests

# git-setup twice, then undone: nothing doubled, nothing left.
"$hues" git-setup >/dev/null
"$hues" git-setup >/dev/null
check "set up twice: each setting once" test "$(git config --local --get-all merge.hues.driver | wc -l)" = 1
check "set up twice: one attributes line" test "$(grep -c 'hues.mul diff=hues merge=hues' .gitattributes)" = 1
git config --local diff.other.textconv cat
"$hues" git-setup --undo >/dev/null
check "undone: no setting of hues's left" test -z "$(git config --local --get-regexp 'hues' || true)"
check "undone: the attributes file it made is gone" test ! -e .gitattributes
check "undone: another setting stays" test "$(git config --local diff.other.textconv)" = cat
# For all of one's repositories: the user's configuration and attributes file, and back.
"$hues" git-setup --global >/dev/null
check "set up globally" test "$(git config --global merge.hues.name)" = "hue files, merged by hue and field (hues merge)"
check "the user's attributes" grep -qx 'hues.mul diff=hues merge=hues' "$HOME/.config/git/attributes"
"$hues" git-setup --global --undo >/dev/null
check "undone globally" test -z "$(git config --global --get-regexp hues || true)"
check "outside a repository, --global is needed" sh -c 'cd "$HOME" && ! "$0" git-setup 2>/dev/null' "$hues"
"$hues" git-setup >/dev/null
git add .gitattributes
"$make_sample" hues.mul >/dev/null
git add hues.mul
git commit -qm "sample hues"
cp hues.mul ../base.mul

# A clean merge: different hues, and different fields of one hue.
git checkout -qb theirs
set_hue hues.mul 10 --name "Theirs ten"
set_hue hues.mul 12 --table 1 2
git commit -qam "theirs"
git checkout -q main
set_hue hues.mul 11 --name "Ours eleven"
set_hue hues.mul 12 --gradient '#FF0000,#0000FF'
git commit -qam "ours"
cp ../base.mul ../expected.mul
set_hue ../expected.mul 10 --name "Theirs ten"
set_hue ../expected.mul 12 --table 1 2
set_hue ../expected.mul 11 --name "Ours eleven"
set_hue ../expected.mul 12 --gradient '#FF0000,#0000FF'
check "a clean merge succeeds" git merge -q --no-edit theirs
check "a clean merge is exact" same hues.mul ../expected.mul
check "git log -p shows hues as JSON" sh -c 'git log -p -1 theirs | grep -q "\"name\":\"Theirs ten\""'

# A conflict: the same field on both sides. Unmerged in git's status; the file whole, with ours
# there and theirs' other change.
git checkout -qb theirs2
set_hue hues.mul 20 --name "Theirs twenty"
set_hue hues.mul 21 --table 5 6
git commit -qam "theirs two"
git checkout -q main
set_hue hues.mul 20 --name "Ours twenty"
git commit -qam "ours two"
cp hues.mul ../ours.mul
set_hue ../ours.mul 21 --table 5 6
check "a conflict stops the merge" sh -c '! git merge -q --no-edit theirs2 2>../merge.err'
check "the conflict is named" grep -q 'hues.mul: hue 20 name: ours "Ours twenty", theirs "Theirs twenty", base ' ../merge.err
check "git says unmerged" test "$(git status --porcelain hues.mul)" = "UU hues.mul"
check "the file is whole and exact: ours there, theirs' other change in" same hues.mul ../ours.mul
check "the file reads as a hue file" sh -c '"$0" -f hues.mul show 20 >/dev/null' "$hues"
git merge --abort
check "preferred by HUES_MERGE_PREFER, no conflict is left" env HUES_MERGE_PREFER=theirs git merge -q --no-edit theirs2
check "theirs preferred" sh -c '"$0" -f hues.mul show 20 | grep -q "Theirs twenty"' "$hues"

# A rebase and a cherry-pick of changes to other hues.
git checkout -qb topic HEAD~1
set_hue hues.mul 30 --name "Topic thirty"
git commit -qam "topic"
git checkout -q main
set_hue hues.mul 31 --name "Main thirty-one"
git commit -qam "main thirty-one"
cp hues.mul ../expected.mul
set_hue ../expected.mul 30 --name "Topic thirty"
check "a cherry-pick" git cherry-pick topic
check "a cherry-pick is exact" same hues.mul ../expected.mul
git reset -q --hard HEAD~1
git checkout -q topic
cp ../expected.mul ../rebased.mul
check "a rebase" git rebase -q main
check "a rebase is exact" same hues.mul ../rebased.mul

# A criss-cross merge: two merge bases, which git merges first into a virtual one.
git checkout -q main
git checkout -qb left
set_hue hues.mul 40 --name "Left forty"
git commit -qam "left"
left=$(git rev-parse HEAD)
git checkout -q main
git checkout -qb right
set_hue hues.mul 41 --name "Right forty-one"
git commit -qam "right"
right=$(git rev-parse HEAD)
git checkout -q left
git merge -q --no-edit "$right"
set_hue hues.mul 42 --name "Left forty-two"
git commit -qam "left again"
git checkout -q right
git merge -q --no-edit "$left"
set_hue hues.mul 43 --name "Right forty-three"
git commit -qam "right again"
git checkout -q left
check "two merge bases" test "$(git merge-base --all left right | wc -l)" = 2
cp hues.mul ../expected.mul
set_hue ../expected.mul 43 --name "Right forty-three"
check "a criss-cross merge" git merge -q --no-edit right
check "a criss-cross merge is exact" same hues.mul ../expected.mul

# The commit hook: the hue file as staged is checked, not the work tree's copy; a hook that was
# there runs first, and --undo puts it back.
printf '#!/bin/sh\ntouch "$(git rev-parse --git-dir)/earlier-hook-ran"\n' >.git/hooks/pre-commit
chmod +x .git/hooks/pre-commit
"$hues" git-setup --check >/dev/null
cp hues.mul ../clean.mul
set_hue hues.mul 44 --name $'Bad\xc2\x81'
git add hues.mul
cp ../clean.mul hues.mul
check "an error staged refuses the commit, the work tree clean" \
    sh -c '! git commit -qm "bad staged" 2>/dev/null >/dev/null'
check "the hook there before ran" test -e .git/earlier-hook-ran
set_hue hues.mul 44 --name $'Bad\xc2\x81'
git add hues.mul
set_hue hues.mul 44 --name "Good again"
git add hues.mul
set_hue hues.mul 44 --name $'Bad\xc2\x81'
check "a clean file staged commits, the work tree's error aside" git commit -qm "good staged"
check "git-setup --check twice keeps one earlier hook" sh -c '"$0" git-setup --check >/dev/null && test -e .git/hooks/pre-commit.before-hues' "$hues"
"$hues" git-setup --undo >/dev/null
check "undone: the earlier hook is back" grep -q earlier-hook-ran .git/hooks/pre-commit
check "undone: nothing of the hook's left" test ! -e .git/hooks/pre-commit.before-hues

[ "$failures" -eq 0 ] || { echo "$failures checks failed" >&2; exit 1; }
echo "all checks passed"
