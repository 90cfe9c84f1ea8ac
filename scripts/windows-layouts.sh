#!/bin/sh
# kovrel.exe's three layouts at the display scales of most Windows laptops, 100 %, 125 % and
# 150 % (96, 120 and 144 DPI, Wine's LogPixels), checked from outside by kovrel_window_probe.exe:
# manifest, topmost, DPI awareness, and every control inside the window with its text whole.
# With a picture folder, also saves each window with its title bar, cut out of a picture of the
# screen, as windows-LAYOUT-DPI.png.
# Runs in a throw-away Wine prefix whose virtual desktop draws the title bars.
# Usage: windows-layouts.sh WINDOWS_DIST_DIR PROBE_EXE [PICTURE_DIR]
set -eu

. "$(dirname "$0")/wine-session.sh"
wine_session windows-layouts "$@"

DIST=$(realpath "$1")
PROBE=$(realpath "$2")
PICTURES=""
if [ $# -ge 3 ]; then
    mkdir -p "$3"
    PICTURES=$(realpath "$3")
fi
TITLE="Kovrel - v${KOVREL_VERSION:?the project version, as make test-windows gives it}"

# D: holds the info files; a virtual desktop as large as the screen gives each window a frame
# at the same place on the X screen as in Windows' coordinates.
DRIVE="$ROOT/wine-d"
mkdir -p "$DRIVE/ebyn" "$DRIVE/gelir" "$DRIVE/kurumlar"
cp examples/gelir/beyan.txt "$DRIVE/gelir/"
cp examples/kurumlar/beyan.txt "$DRIVE/kurumlar/"
wine wineboot --init >/dev/null 2>&1
wineserver -w
ln -s "$DRIVE" "$WINEPREFIX/dosdevices/d:"
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
wineserver -w

# Waits for the program whose window the probe closed to end; one still there after ten
# seconds is killed.
wait_for_end() {
    i=0
    while kill -0 "$1" 2>/dev/null; do
        i=$((i + 1))
        if [ "$i" -gt 50 ]; then
            kill -9 "$1" 2>/dev/null || true
            fail "kovrel.exe did not end when its window was closed"
            break
        fi
        sleep 0.2
    done
    wait "$1" 2>/dev/null || true
}

# Starts kovrel.exe on an info file, lets the probe check its window, and closes it.
# $1 layout name, $2 DPI, $3 info file on D:.
check_layout() {
    wine "$DIST/kovrel.exe" "$3" >/dev/null 2>&1 &
    pid=$!
    if ! timeout 60 xdotool search --sync --onlyvisible --name "^$TITLE\$" >/dev/null; then
        fail "$1 at $2 DPI: no window"
        kill -9 "$pid" 2>/dev/null || true
        return
    fi
    if [ -n "$PICTURES" ]; then
        sleep 1  # painted
        import -window root "$ROOT/screen.png"
    fi
    if wine "$PROBE" "$TITLE" "$2" --close >"$ROOT/probe.log" 2>&1; then
        pass "$1 at $2 DPI: $(tr -d '\r' <"$ROOT/probe.log" | sed 's/^window probe: //; s/; window .*//')"
    else
        tr -d '\r' <"$ROOT/probe.log" >&2
        fail "$1 at $2 DPI"
    fi
    if [ -n "$PICTURES" ]; then
        # The window with its frame, at the place on the screen the probe gives (WxH+X+Y).
        place=$(tr -d '\r' <"$ROOT/probe.log" | sed -n 's/.*; window \([0-9x+]*\)$/\1/p')
        convert "$ROOT/screen.png" -crop "$place" +repage -strip "PNG8:$PICTURES/windows-$1-$2.png" ||
            fail "$1 at $2 DPI: no picture of the window at '$place'"
    fi
    wait_for_end "$pid"
}

for dpi in 96 120 144; do
    # Wine reads the scale when a program starts; a fresh server starts them all afresh.
    wineserver -k 2>/dev/null || true
    wineserver -w
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wineserver -w
    wineserver -p
    find "$DRIVE/ebyn" -mindepth 1 -delete
    check_layout new-enterprise "$dpi" 'D:\gelir\beyan.txt'
    wine "$DIST/kovrel-convert.exe" --drive D 'D:\gelir\beyan.txt' >/dev/null 2>&1 ||
        fail "kovrel-convert.exe could not give the income tax window an enterprise"
    check_layout income-tax "$dpi" 'D:\gelir\beyan.txt'
    check_layout corporate-tax "$dpi" 'D:\kurumlar\beyan.txt'
done

finish
