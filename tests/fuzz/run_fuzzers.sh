#!/bin/sh
# Runs each fuzz target for SECONDS seconds, one after the other, on a corpus that starts from
# the seeds and grows across runs. Stops at the first finding; the input that caused it is
# saved under BUILD/fuzz-artifacts.
# Usage: tests/fuzz/run_fuzzers.sh BUILD SECONDS [TARGET...]
set -eu
BUILD=$1
SECONDS_EACH=$2
shift 2
TARGETS=${*:-fuzz_info_file fuzz_declaration fuzz_conversion_run}

"$(dirname "$0")/make_seeds.sh" "$BUILD/src/kovrel-convert" "$BUILD/fuzz-seeds"
for target in $TARGETS; do
    corpus="$BUILD/fuzz-corpus/$target"
    artifacts="$BUILD/fuzz-artifacts/$target"
    mkdir -p "$corpus" "$artifacts"
    echo "== $target for ${SECONDS_EACH}s"
    "$BUILD/tests/fuzz/$target" -max_total_time="$SECONDS_EACH" -max_len=65536 -timeout=20 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/" \
        "$corpus" "$BUILD/fuzz-seeds/$target"
done
