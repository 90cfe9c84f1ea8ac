#!/bin/sh
# Makes the user guide that the installer and the zip carry: GUIDE.md as one HTML page that a
# browser opens from disk. Pictures the guide shows (docs/*.png) are embedded in the page, so
# that it is one file wherever it is copied; a picture that cannot be found is left as a link.
# Usage: windows-guide.sh GUIDE.md OUTPUT.html
set -eu

[ $# -eq 2 ] || { echo "usage: $0 GUIDE.md OUTPUT.html" >&2; exit 2; }
GUIDE=$1
OUT=$2
GUIDE_DIR=$(dirname "$GUIDE")

WORK=$(mktemp -d "${TMPDIR:-/tmp}/kovrel-guide.XXXXXX")
trap 'rm -rf "$WORK"' EXIT INT TERM

# GitHub's dialect, so that tables in the guide come out as tables. Raw HTML is left out.
cmark-gfm --to html --extension table --extension autolink --extension strikethrough \
    "$GUIDE" >"$WORK/body.html"

# One line per picture: its src as written, then the data URL that replaces it.
grep -o '<img src="[^"]*"' "$WORK/body.html" | sed 's/^<img src="//; s/"$//' | sort -u |
    while IFS= read -r src; do
        case $src in
        *.png | *.PNG) type=image/png ;;
        *.jpg | *.jpeg | *.JPG | *.JPEG) type=image/jpeg ;;
        *.gif | *.GIF) type=image/gif ;;
        *) continue ;;
        esac
        case $src in */../* | ../* | /* | *:*) continue ;; esac
        if [ -f "$GUIDE_DIR/$src" ]; then
            printf '%s\tdata:%s;base64,%s\n' "$src" "$type" "$(base64 -w0 "$GUIDE_DIR/$src")"
        else
            echo "windows-guide: $src not found; the page links to it" >&2
        fi
    done >"$WORK/pictures"

{
    cat <<'EOF'
<!DOCTYPE html>
<html lang="tr">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Kovrel Kullanım Kılavuzu</title>
<style>
body { font-family: "Segoe UI", Tahoma, sans-serif; line-height: 1.5; max-width: 52em;
       margin: 1em auto; padding: 0 1em; color: #1b1b1b; }
img { max-width: 100%; height: auto; border: 1px solid #ccc; }
code, pre { font-family: Consolas, "Courier New", monospace; background: #f3f3f3; }
pre { padding: 0.5em; overflow-x: auto; }
table { border-collapse: collapse; }
th, td { border: 1px solid #bbb; padding: 0.25em 0.5em; text-align: left; }
</style>
</head>
<body>
EOF
    # The guide's own first-level heading, when it has one, is the page's.
    grep -q '<h1' "$WORK/body.html" || echo '<h1>Kovrel Kullanım Kılavuzu</h1>'
    awk -F'\t' '
        FILENAME == ARGV[1] { url["src=\"" $1 "\""] = "src=\"" $2 "\""; next }
        {
            for (k in url)
                while ((i = index($0, k)) > 0)
                    $0 = substr($0, 1, i - 1) url[k] substr($0, i + length(k))
            print
        }' "$WORK/pictures" "$WORK/body.html"
    printf '</body>\n</html>\n'
} >"$OUT"
