#!/bin/bash
# Times kovrel-convert against the xmllint round trip (parse + serialise) of its own output.
# Usage: bench/run.sh [build dir] ; N values from $BENCH_N (default "50000 200000").
set -euo pipefail
BUILD=$(realpath "${1:-build}")
CONVERT=$BUILD/src/kovrel-convert
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/kovrel-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
. "$HERE/../scripts/temp-drive.sh"
use_temp_drive "$WORK"
FOLDER="$DRIVE_D/ebyn/beyannameler/12345678901"

# Seconds (the fastest of $BENCH_REPEAT runs, timed to the microsecond: the short runs are a
# tenth of a second) and peak kilobytes (the largest) of a command.
measure() {
    local best="" peak=0 start end seconds kb
    for _ in $(seq "${BENCH_REPEAT:-3}"); do
        start=$EPOCHREALTIME
        /usr/bin/time -f "%M" -o "$WORK/time" "$@" >/dev/null
        end=$EPOCHREALTIME
        seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
        kb=$(cat "$WORK/time")
        best=$(awk -v a="$best" -v b="$seconds" 'BEGIN { print (a == "" || b < a) ? b : a }')
        [ "$kb" -gt "$peak" ] && peak=$kb
    done
    echo "$best $peak"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }

printf "%-11s %8s %9s %9s %6s %10s %10s %8s\n" type N kovrel_s xmllint_s ratio peak_MB saved_MB mem_ok
declare -A SECONDS_AT
for type in GELIR GELIR-OZET KURUMLAR; do
    for n in ${BENCH_N:-50000 200000}; do
        python3 "$HERE/generate.py" info "$type" "$n" "$WORK/beyan.txt"
        rm -rf "$DRIVE_D/ebyn/beyannameler"
        read -r ks kmem < <(measure "$CONVERT" --drive D --mode create "$WORK/beyan.txt")
        out=$(find "$DRIVE_D/ebyn" -name '*.xml')
        read -r xs _ < <(measure xmllint --noblanks --format "$out")
        size=$(stat -c %s "$out")
        peak_mb=$(awk -v k="$kmem" 'BEGIN { printf "%.1f", k / 1024 }')
        saved_mb=$(awk -v s="$size" 'BEGIN { printf "%.1f", s / 1048576 }')
        mem_ok=$(awk -v k="$kmem" -v s="$size" 'BEGIN { print (k * 1024 <= 4 * s + 30 * 1048576) ? "yes" : "NO" }')
        printf "%-11s %8d %9.3f %9.3f %6s %10s %10s %8s\n" "$type" "$n" "$ks" "$xs" "$(ratio "$ks" "$xs")" \
            "$peak_mb" "$saved_mb" "$mem_ok"
        SECONDS_AT["$type-$n"]=$ks
    done
done

set -- ${BENCH_N:-50000 200000}
if [ $# -ge 2 ]; then
    echo
    for type in GELIR GELIR-OZET KURUMLAR; do
        echo "scaling $type, N=$1 to N=$2: $(ratio "${SECONDS_AT[$type-$2]}" "${SECONDS_AT[$type-$1]}") (linear: $(ratio "$2" "$1"))"
    done
fi

echo
echo "add mode, one existing enterprise of 100 with 2000 rows each:"
rm -rf "$DRIVE_D/ebyn/beyannameler"
mkdir -p "$FOLDER"
python3 "$HERE/generate.py" declaration 100 2000 "$FOLDER/034250_12345678901_GELIR_10_2026.xml"
python3 "$HERE/generate.py" info GELIR 2000 "$WORK/beyan.txt"
target="$FOLDER/034250_12345678901_GELIR_10_2026.xml"
read -r xs _ < <(measure xmllint --noblanks --format "$target")
read -r ks kmem < <(measure "$CONVERT" --drive D --mode add --enterprise "Firma 50" "$WORK/beyan.txt")
size=$(stat -c %s "$target")
printf "kovrel %.3f s, xmllint %.3f s, ratio %s, peak %.1f MB, saved %.1f MB, mem_ok %s\n" "$ks" "$xs" \
    "$(ratio "$ks" "$xs")" "$(awk -v k="$kmem" 'BEGIN { print k / 1024 }')" \
    "$(awk -v s="$size" 'BEGIN { print s / 1048576 }')" \
    "$(awk -v k="$kmem" -v s="$size" 'BEGIN { print (k * 1024 <= 4 * s + 30 * 1048576) ? "yes" : "NO" }')"

# The window's start-up on that declaration: from the program's start to the filled enterprise
# list, measured inside the process under a virtual display.
STARTUP=$BUILD/bench/kovrel-startup-bench
if [ -x "$STARTUP" ]; then
    echo
    echo "window start-up with that declaration on the drive:"
    xvfb-run -a -s "-screen 0 1280x1024x24" "$STARTUP" "$WORK/beyan.txt"
fi
