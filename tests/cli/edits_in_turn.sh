#!/usr/bin/env bash
# Edits in place as people and scripts make them: 20 at once, each of another hue, must all
# be there afterwards; and one killed at any moment must leave the old file or the new one,
# whole, and nothing that stops the next edit.
# Usage: edits_in_turn.sh HUES MAKE_SAMPLE WORK_DIR
set -euo pipefail
hues=$1 make_sample=$2 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work"
"$make_sample" sample.mul >/dev/null

pids=()
for i in $(seq 0 19); do
    "$hues" -f sample.mul set $((i * 100 + 7)) --name "Turn $i" --table "$i" -"$i" 2>/dev/null &
    pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid"; done
for i in $(seq 0 19); do
    "$hues" -f sample.mul show $((i * 100 + 7)) | grep -q "Hues Name : Turn $i\$" ||
        { echo "the edit of hue $((i * 100 + 7)) was lost"; exit 1; }
done
echo "20 edits at once: all 20 there"

# A change to 3,000 hues of the largest file, killed at a random moment of its run.
"$hues" -f sample.mul list --format json >sample.json
"$hues" build sample.json --count 32768 -o big.mul
sed 's/"table_start":[-0-9]*/"table_start":1234/' sample.json >changed.json
cp big.mul old.mul
start=$(date +%s%N)
"$hues" -f big.mul apply changed.json --no-backup 2>/dev/null
took=$((($(date +%s%N) - start) / 1000))  # microseconds, however fast this build is
cp big.mul new.mul
olds=0 news=0
for round in $(seq 1 30); do
    cp old.mul big.mul
    "$hues" -f big.mul apply changed.json --no-backup 2>/dev/null &
    pid=$!
    sleep "$(printf '0.%06d' $((RANDOM * took / 27000 % 999999)))"  # 0 to 1.2 times as long
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    if cmp -s big.mul old.mul; then
        olds=$((olds + 1))
    elif cmp -s big.mul new.mul; then
        news=$((news + 1))
    else
        echo "round $round: a kill left a file that is neither the old nor the new one"
        exit 1
    fi
    "$hues" -f big.mul set 1 --name "After $round" --no-backup 2>/dev/null ||
        { echo "round $round: the next edit failed after a kill"; exit 1; }
done
leftovers=$(ls -A | grep -v -E '^(sample|big|old|new|changed)\.(mul|json)$|^sample\.mul\.bak$' || true)
[ -z "$leftovers" ] || { echo "left behind: $leftovers"; exit 1; }
echo "30 edits killed at random moments: each left a whole file ($olds old, $news new)," \
    "and the next edit went through"
