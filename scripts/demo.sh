#!/bin/sh
# Converts the bundled examples into a temporary Wine-style drive D: and shows the results.
set -e
CONVERT=${1:-build/src/kovrel-convert}
ROOT=$(mktemp -d "${TMPDIR:-/tmp}/kovrel-demo.XXXXXX")
mkdir -p "$ROOT/prefix/dosdevices" "$ROOT/drive-d/ebyn"
ln -s "$ROOT/drive-d" "$ROOT/prefix/dosdevices/d:"
export WINEPREFIX="$ROOT/prefix"

for example in examples/gelir examples/gelir-ozet examples/kurumlar; do
    echo "== $example/beyan.txt"
    "$CONVERT" "$example/beyan.txt"
done

echo
echo "Drive D: is $ROOT/drive-d; the declarations written there:"
find "$ROOT/drive-d" -type f -name '*.xml' | sort | while read -r file; do
    echo
    echo "== $file ($(wc -c <"$file") bytes, ISO-8859-9, shown as UTF-8)"
    iconv -f ISO-8859-9 -t UTF-8 "$file" | tr -d '\r'
done
