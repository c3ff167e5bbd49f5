#!/usr/bin/env bash
# export csv through LibreOffice Calc as a person takes it there and back: opened as UTF-8, saved
# as CSV with "," and with ";", and as xlsx and then CSV. Each applies to the file it came from
# with no change at all, and no cell was run as a formula. Skipped (exit 77) where LibreOffice
# is not installed: CI need not carry it.
# Usage: spreadsheet.sh HUES FIXTURES WORK_DIR
set -euo pipefail
hues=$1 fixtures=$2 work=$3
if ! command -v soffice >/dev/null; then
    echo "skipped: LibreOffice (soffice) is not installed"
    exit 77
fi
rm -rf "$work" && mkdir -p "$work" && cd "$work"
"$hues" build "$fixtures/hues.json" -o hues.mul
"$hues" -f hues.mul export csv -o export.csv
cp hues.mul before.mul

calc() {  # calc FOLDER INPUT OUTPUT-FILTER [IMPORT-FILTER]
    soffice -env:UserInstallation="file://$work/profile" --headless ${4:+--infilter="$4"} \
        --convert-to "$3" --outdir "$1" "$2" >/dev/null 2>&1
}
utf8=CSV:44,34,76,1
calc comma export.csv "csv:Text - txt - csv (StarCalc):44,34,76,1" $utf8
calc semicolon export.csv "csv:Text - txt - csv (StarCalc):59,34,76,1" $utf8
calc xlsx export.csv xlsx $utf8
calc via-xlsx xlsx/export.xlsx "csv:Text - txt - csv (StarCalc):44,34,76,1"

for saved in comma/export.csv semicolon/export.csv via-xlsx/export.csv; do
    grep -q "'=1+1" "$saved" || { echo "$saved: the formula cell was not kept as text"; exit 1; }
    "$hues" -f hues.mul apply --dry-run "$saved"
    "$hues" -f hues.mul apply "$saved"
    cmp hues.mul before.mul
    echo "$saved: applies with no change"
done
