#!/bin/sh
# Seed corpora for the fuzz targets, from our own examples and fixtures: the info files as they
# are, the declarations that kovrel-convert makes of them, and pairs of both for whole runs.
# Usage: tests/fuzz/make_seeds.sh KOVREL_CONVERT OUT_DIR
set -eu
CONVERT=$(realpath "$1")
OUT=$2
SRC=$(cd "$(dirname "$0")/../.." && pwd)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/kovrel-seeds.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/prefix/dosdevices" "$WORK/d/ebyn" \
    "$OUT/fuzz_info_file" "$OUT/fuzz_declaration" "$OUT/fuzz_conversion_run"
ln -s "$WORK/d" "$WORK/prefix/dosdevices/d:"
export WINEPREFIX="$WORK/prefix"

# A new declaration of each example, then the same with a second enterprise added to it.
for example in "$SRC"/examples/*/; do
    "$CONVERT" --drive D --mode create "$example/beyan.txt"
done >/dev/null
for example in "$SRC"/examples/gelir*/; do
    "$CONVERT" --drive D --mode add --new --title "Ikinci Isletme & Ortak" "$example/beyan.txt"
done >/dev/null

# Seeds named by their content, as libFuzzer names its corpus: each is written once. A whole
# run's seed is one byte of choices (bit 0 create mode, bits 1-2 the enterprise entry), the info
# file, the marker, the declaration.
seed() { cat >"$WORK/seed" && cp "$WORK/seed" "$OUT/$1/$(sha1sum <"$WORK/seed" | cut -c1-40)"; }
infos=$(ls "$SRC"/examples/*/beyan.txt; find "$SRC/tests/data" -name '*.txt')
for info in $infos; do
    seed fuzz_info_file <"$info"
done
for xml in $(find "$WORK/d/ebyn" "$SRC/tests/data" -name '*.xml'); do
    seed fuzz_declaration <"$xml"
    for info in $infos; do
        for choice in '\000' '\001' '\006'; do
            { printf "$choice" && cat "$info" && printf '\n@@KOVREL-DECLARATION@@\n' && cat "$xml"; } |
                seed fuzz_conversion_run
        done
    done
done
echo "seeds: $(ls "$OUT"/fuzz_info_file | wc -l) info files," \
    "$(ls "$OUT"/fuzz_declaration | wc -l) declarations, $(ls "$OUT"/fuzz_conversion_run | wc -l) runs"
