#!/bin/sh
# Runs the kovrel-convert program on the bundled examples in a temporary Wine-style drive D:.
# Each run exits 0 and prints where it saved; a second run leaves every file byte for byte as
# the first one wrote it. Messages go to standard error with the exit status of their kind.
set -eu
CONVERT=$1
EXAMPLES=$2
ROOT=$(mktemp -d "${TMPDIR:-/tmp}/kovrel-cli-test.XXXXXX")
trap 'rm -rf "$ROOT"' EXIT
. "$(dirname "$0")/../../scripts/temp-drive.sh"
use_temp_drive "$ROOT"
BEYANNAMELER="$DRIVE_D/ebyn/beyannameler"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# example, folder, file name (worked out from each example's header)
check_example() {
    file="$BEYANNAMELER/$2/$3"
    printed=$("$CONVERT" "$EXAMPLES/$1/beyan.txt" 2>"$ROOT/err") || fail "$1: exit status $?"
    [ "$printed" = "D:\\ebyn\\beyannameler\\$2\\$3" ] || fail "$1: printed $printed"
    [ ! -s "$ROOT/err" ] || fail "$1: wrote to standard error"
    [ -f "$file" ] || fail "$1: no $file"
    cp "$file" "$ROOT/first.xml"
    "$CONVERT" "$EXAMPLES/$1/beyan.txt" >/dev/null || fail "$1: second run"
    cmp "$ROOT/first.xml" "$file" || fail "$1: the second run changed the file"
}

check_example gelir 12345678901 034250_12345678901_GELIR_10_2026.xml
check_example gelir-ozet 45678901234 034250_45678901234_GELIR_10_2026.xml
check_example kurumlar 3456789012 034250_3456789012_KURUMLAR_10_2026.xml

status=0
"$CONVERT" "$ROOT/none.txt" >"$ROOT/out" 2>"$ROOT/err" || status=$?
[ "$status" -eq 2 ] || fail "missing info file: exit status $status"
[ ! -s "$ROOT/out" ] || fail "missing info file: wrote to standard output"
[ "$(head -n 1 "$ROOT/err")" = "bilgi dosyası bulunamadı." ] || fail "missing info file: $(cat "$ROOT/err")"

status=0
"$CONVERT" --mode add --drive d "$EXAMPLES/gelir/beyan.txt" >/dev/null 2>"$ROOT/err" || status=$?
[ "$status" -eq 0 ] || fail "add to the existing gelir file: exit status $status"
rm "$BEYANNAMELER/3456789012/034250_3456789012_KURUMLAR_10_2026.xml"
status=0
"$CONVERT" --mode add "$EXAMPLES/kurumlar/beyan.txt" >/dev/null 2>"$ROOT/err" || status=$?
[ "$status" -eq 1 ] || fail "add without a file: exit status $status"
[ "$(head -n 1 "$ROOT/err")" = "Ekleme yapılacak dosya bulunamadı!" ] || fail "add without a file: $(cat "$ROOT/err")"

echo "kovrel-convert: the three examples convert and reconvert identically"
