#!/usr/bin/env bash
# Every palette export that Krita takes (ASE, ACO, KPL, JASC-PAL, GPL) loaded by a real Krita,
# run without a window by kritarunner, and its colours, names and groups held against the hue
# file's listing. Skipped (exit 77) where Krita is not installed: CI need not carry it.
# Usage: krita.sh HUES FIXTURES WORK_DIR
set -euo pipefail
hues=$1 fixtures=$2 work=$3 here=$(cd "$(dirname "$0")" && pwd)
if ! command -v kritarunner >/dev/null || ! /usr/bin/python3 -c 'import PyQt5' 2>/dev/null; then
    echo "skipped: Krita (kritarunner, with python3-pyqt5) is not installed"
    exit 77
fi
rm -rf "$work" && mkdir -p "$work/home" "$work/data/kritarunner/palettes" && cd "$work"
"$hues" build "$fixtures/hues.json" -o hues.mul
"$hues" -f hues.mul list --format json > hues.json
for kind in ase aco kpl pal gpl; do
    # Krita lists palettes by name, and GPL and KPL name theirs after the hue file.
    cp hues.mul "hues-$kind.mul"
    ids=0-15
    [[ $kind == aco || $kind == pal ]] && ids=0-7  # Krita reads their first 256 colours
    "$hues" -f "hues-$kind.mul" export "$kind" $ids -o "data/kritarunner/palettes/hues-$kind.$kind"
done
HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/home" QT_QPA_PLATFORM=offscreen \
    PYTHONPATH="$here" HUES_JSON="$work/hues.json" HUES_KRITA_RESULT="$work/result" \
    kritarunner -s krita_palettes >krita.log 2>&1 || { tail -20 krita.log; exit 1; }
cat result && echo
[ "$(cat result)" = ok ]
