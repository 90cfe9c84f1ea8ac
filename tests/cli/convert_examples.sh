#!/bin/sh
# kovrel-convert on a temporary drive D: (arguments: program, examples, version). Each example
# converts with status 0, printing where it saved (a dry run prints those very bytes, and finds
# nothing saved by --help or --version before it); a second run leaves the file as it was. A
# failure exits with the status of its kind, its message first on stderr, and changes no file.
set -eu
CONVERT=$1
EXAMPLES=$2
ROOT=$(mktemp -d "${TMPDIR:-/tmp}/kovrel-cli-test.XXXXXX")
trap 'rm -rf "$ROOT"' EXIT
. "$(dirname "$0")/../../scripts/temp-drive.sh"
use_temp_drive "$ROOT"
BEYANNAMELER="$DRIVE_D/ebyn/beyannameler"
GELIR="$EXAMPLES/gelir/beyan.txt"
KURUMLAR="$EXAMPLES/kurumlar/beyan.txt"
fail() { echo "FAIL: $*" >&2; exit 1; }

# example, folder, file name (worked out from each example's header)
check_example() {
    info="$EXAMPLES/$1/beyan.txt" file="$BEYANNAMELER/$2/$3"
    "$CONVERT" --dry-run "$info" >"$ROOT/dry.xml" && [ ! -e "$file" ] || fail "$1: dry run"
    printed=$("$CONVERT" "$info" 2>"$ROOT/err") || fail "$1: exit status $?"
    [ "$printed" = "D:\\ebyn\\beyannameler\\$2\\$3" ] && [ ! -s "$ROOT/err" ] || fail "$1: printed $printed"
    cmp "$ROOT/dry.xml" "$file" || fail "$1: the dry run printed other bytes than the run saved"
    cp "$file" "$ROOT/first.xml"
    "$CONVERT" "$info" >/dev/null && cmp "$ROOT/first.xml" "$file" || fail "$1: second run"
}

# exit status, first line of standard error, arguments; no file on the drive may change
check_failure() {
    expected=$1 message=$2
    shift 2
    before=$(find "$DRIVE_D" -type f -exec cksum {} +)
    status=0 && "$CONVERT" "$@" >"$ROOT/out" 2>"$ROOT/err" || status=$?
    [ "$status" -eq "$expected" ] && [ ! -s "$ROOT/out" ] || fail "$*: exit status $status"
    [ "$(head -n 1 "$ROOT/err")" = "$message" ] || fail "$*: $(cat "$ROOT/err")"
    [ "$(find "$DRIVE_D" -type f -exec cksum {} +)" = "$before" ] || fail "$*: changed files"
}

"$CONVERT" --help "$GELIR" >"$ROOT/out" && grep -q '^Kullanım: kovrel-convert ' "$ROOT/out" || fail "--help"
printed=$("$CONVERT" --version "$GELIR") && [ "$printed" = "kovrel-convert $3" ] || fail "--version"

check_example gelir 12345678901 034250_12345678901_GELIR_10_2026.xml
check_example gelir-ozet 45678901234 034250_45678901234_GELIR_10_2026.xml
check_example kurumlar 3456789012 034250_3456789012_KURUMLAR_10_2026.xml

check_failure 2 "bilgi dosyası bulunamadı." "$ROOT/none.txt"
check_failure 3 "Yazmış olduğunuz ünvan XML dosya içerisinde daha önceden tanımlanmış lütfen ünvanı değiştirip tekrar deneyin." --new "$GELIR"
{ cat "$KURUMLAR"; printf '1\263100\r\n'; } >"$ROOT/short.txt"  # a record short of fields
check_failure 1 "XML dosyası oluşturulurken hata oluştu!" "$ROOT/short.txt"
rm "$BEYANNAMELER/3456789012/034250_3456789012_KURUMLAR_10_2026.xml"
check_failure 1 "Ekleme yapılacak dosya bulunamadı!" --mode add "$KURUMLAR"
echo '<beyanname><ozel><kazancDetay><ticariKazancBildirimi><ticariKazanclar><ticariKazanc/></ticariKazanclar></ticariKazancBildirimi></kazancDetay></ozel></beyanname>' >"$BEYANNAMELER/12345678901/034250_12345678901_GELIR_10_2026.xml"  # a record without a child
check_failure 2 "XML dosya okunurken hata oluştu." "$GELIR"
