#!/bin/sh
# Builds the per-user installer from packaging/kovrel.wxs with wixl.
# Usage: windows-msi.sh VERSION DIST_DIR OUTPUT.msi
#   VERSION   the project's version (1.01); the package gets its numeric form (1.1.0)
#   DIST_DIR  holds kovrel.exe, kovrel-convert.exe and KULLANIM.html
# Run from the top of the source tree.
set -eu

[ $# -eq 3 ] || { echo "usage: $0 VERSION DIST_DIR OUTPUT.msi" >&2; exit 2; }
VERSION=$1
DIST=$2
OUT=$3

# Windows Installer compares major.minor.build as numbers (255.255.65535 at most): "1.01" is
# 1.1.0, the same as the programs' version resources.
msi_version=$(echo "$VERSION" | awk -F. '
    NF < 1 || NF > 3 { exit 1 }
    { for (i = 1; i <= 3; i++) {
          f = (i <= NF) ? $i : "0"
          if (f !~ /^[0-9]+$/ || f + 0 > (i < 3 ? 255 : 65535)) exit 1
          v = v (i > 1 ? "." : "") (f + 0)
      }
      print v }') || { echo "windows-msi: version '$VERSION' is not major.minor[.build]" >&2; exit 1; }

for f in kovrel.exe kovrel-convert.exe KULLANIM.html; do
    [ -f "$DIST/$f" ] || { echo "windows-msi: $DIST/$f is missing" >&2; exit 1; }
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/kovrel-msi.XXXXXX")
trap 'rm -rf "$WORK"' EXIT INT TERM

# wixl 0.101 takes neither absolute source paths nor the Codepage attribute: its strings are
# encoded in the code page that WINDOWS_LANGUAGE names (without it, Turkish letters outside
# Windows-1252 crash it or vanish), and msibuild then declares that code page, 1254, in the
# database. msibuild also sets the package language that wixl leaves at 1033.
export WINDOWS_LANGUAGE=tr
wixl -D Version="$msi_version" -D Dist="$(realpath --relative-to=. "$DIST")" \
    -o "$WORK/kovrel.msi" packaging/kovrel.wxs
printf '\n\n1254\t_ForceCodepage\n' >"$WORK/_ForceCodepage.idt"
msibuild "$WORK/kovrel.msi" -i "$WORK/_ForceCodepage.idt" \
    -s "Kovrel $VERSION" "Kovrel" "Intel;1055"
mv "$WORK/kovrel.msi" "$OUT"
echo "$OUT: $(wc -c <"$OUT") bytes, product version $msi_version"
