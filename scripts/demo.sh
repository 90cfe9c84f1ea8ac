#!/bin/sh
# Converts the bundled examples into a temporary Wine-style drive D: and shows the results.
set -e
CONVERT=${1:-build/src/kovrel-convert}
ROOT=$(mktemp -d "${TMPDIR:-/tmp}/kovrel-demo.XXXXXX")
. "$(dirname "$0")/temp-drive.sh"
use_temp_drive "$ROOT"

for example in examples/gelir examples/gelir-ozet examples/kurumlar; do
    echo "== $example/beyan.txt"
    "$CONVERT" "$example/beyan.txt"
done

echo
echo "Drive D: is $DRIVE_D; the declarations written there:"
find "$DRIVE_D" -type f -name '*.xml' | sort | while read -r file; do
    echo
    echo "== $file ($(wc -c <"$file") bytes, ISO-8859-9, shown as UTF-8)"
    iconv -f ISO-8859-9 -t UTF-8 "$file" | tr -d '\r'
done
