#!/bin/sh
# The kovrel-convert program itself, in a temporary Wine-style drive D:. Each bundled example
# converts with exit status 0, printing where it saved (a dry run prints those very bytes), and
# a second run leaves the file byte for byte as the first one wrote it. A failure exits with the
# status of its kind and writes its message to standard error only.
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
    "$CONVERT" --dry-run "$EXAMPLES/$1/beyan.txt" >"$ROOT/dry.xml" || fail "$1: dry run"
    [ ! -e "$file" ] || fail "$1: the dry run saved $file"
    printed=$("$CONVERT" "$EXAMPLES/$1/beyan.txt" 2>"$ROOT/err") || fail "$1: exit status $?"
    [ "$printed" = "D:\\ebyn\\beyannameler\\$2\\$3" ] || fail "$1: printed $printed"
    [ ! -s "$ROOT/err" ] || fail "$1: wrote to standard error"
    cmp "$ROOT/dry.xml" "$file" || fail "$1: the dry run printed other bytes than the run saved"
    cp "$file" "$ROOT/first.xml"
    "$CONVERT" "$EXAMPLES/$1/beyan.txt" >/dev/null || fail "$1: second run"
    cmp "$ROOT/first.xml" "$file" || fail "$1: the second run changed the file"
}

# exit status, first line of standard error, arguments
check_failure() {
    expected=$1
    message=$2
    shift 2
    status=0
    "$CONVERT" "$@" >"$ROOT/out" 2>"$ROOT/err" || status=$?
    [ "$status" -eq "$expected" ] || fail "$*: exit status $status"
    [ ! -s "$ROOT/out" ] || fail "$*: wrote to standard output"
    [ "$(head -n 1 "$ROOT/err")" = "$message" ] || fail "$*: $(cat "$ROOT/err")"
}

check_example gelir 12345678901 034250_12345678901_GELIR_10_2026.xml
check_example gelir-ozet 45678901234 034250_45678901234_GELIR_10_2026.xml
check_example kurumlar 3456789012 034250_3456789012_KURUMLAR_10_2026.xml

check_failure 2 "bilgi dosyası bulunamadı." "$ROOT/none.txt"
check_failure 3 "Yazmış olduğunuz ünvan XML dosya içerisinde daha önceden tanımlanmış lütfen ünvanı değiştirip tekrar deneyin." --new "$EXAMPLES/gelir/beyan.txt"
rm "$BEYANNAMELER/3456789012/034250_3456789012_KURUMLAR_10_2026.xml"
check_failure 1 "Ekleme yapılacak dosya bulunamadı!" --mode add "$EXAMPLES/kurumlar/beyan.txt"

echo "kovrel-convert: the three examples convert and reconvert identically; failures exit 1, 2, 3"
