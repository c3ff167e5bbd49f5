#!/usr/bin/env bash
# A hue's history read through git, beside what git itself takes to list the file's commits and
# hand over their blobs: `hues log ID` and `hues blame` against `git log --format=%H -- FILE`
# then `git cat-file --batch` of those commits' files. The repository is made here with git
# fast-import: COMMITS commits of a file of HUES hues, each changing three hues (by hues set).
# Runs interleaved, medians of ROUNDS.
#
#   bench/history_bench.sh PATH/TO/hues PATH/TO/make_sample_hues [COMMITS [HUES [ROUNDS]]]
set -euo pipefail
hues=$(realpath "$1") make_sample=$(realpath "$2")
commits=${3:-1000} count=${4:-3000} rounds=${5:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export GIT_CONFIG_NOSYSTEM=1 HOME="$work" GIT_CEILING_DIRECTORIES="$work"

git init -q -b main repo
"$make_sample" hues.mul "$count" >/dev/null
# Each commit: the file with three hues changed, its bytes given inline.
{
    for ((i = 0; i < commits; i++)); do
        if ((i > 0)); then
            for k in 1 2 3; do
                "$hues" -f hues.mul set $(((i * 7919 + k * 104729) % count)) --name "Commit $i.$k" \
                    --no-backup >/dev/null 2>&1
            done
        fi
        printf 'commit refs/heads/main\nauthor Bench <bench@example.org> %d +0000\n' $((1700000000 + i * 60))
        message="commit $i"
        printf 'committer Bench <bench@example.org> %d +0000\ndata %d\n%s\n' \
            $((1700000000 + i * 60)) ${#message} "$message"
        printf 'M 100644 inline hues.mul\ndata %d\n' "$(stat -c %s hues.mul)"
        cat hues.mul
        printf '\n'
    done
} | git -C repo fast-import --quiet
git -C repo checkout -q main
cd repo

# git's own: the listing, then every listed commit's file handed over.
git_reads() {
    git log --format=%H -- hues.mul | sed 's/$/:hues.mul/' | git cat-file --batch >/dev/null
}
timed() {  # the wall-clock time of a command, in milliseconds
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'; }
hue=$((count / 2))
declare -A times
for ((round = 0; round < rounds; round++)); do
    times[git]+="$(timed git_reads) "
    times[log]+="$(timed "$hues" -f hues.mul log "$hue" --format json) "
    times[git]+="$(timed git_reads) "
    times[blame]+="$(timed "$hues" -f hues.mul blame --format json) "
done
git=$(tr ' ' '\n' <<<"${times[git]}" | grep . | median)
printf '%d commits of a file of %d hues (%d MB of blobs), medians of %d rounds:\n' \
    "$commits" "$count" $((commits * $(stat -c %s hues.mul) / 1000000)) "$rounds"
printf '  git log + git cat-file --batch  %6d ms\n' "$git"
for what in log blame; do
    ms=$(tr ' ' '\n' <<<"${times[$what]}" | grep . | median)
    printf '  hues %-26s %6d ms  %s x\n' "$what$([ $what = log ] && echo " $hue")" "$ms" \
        "$(awk -v a="$ms" -v b="$git" 'BEGIN { printf "%.2f", a / b }')"
done
