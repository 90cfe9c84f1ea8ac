#!/bin/sh
# Tests the installer under Wine, in a throw-away Wine prefix and X server:
#   1. a silent per-user install puts the programs and the guide under %LOCALAPPDATA%\Programs
#      and creates the Start menu and "Send to" shortcuts, all three pointing at what it installed;
#   2. the "Send to" shortcut's target, started with an info file whose path holds a space and
#      Turkish letters, opens the window on it; Alt+B writes the Linux converter's bytes;
#   3. the same package built with a higher version replaces the installed one: one entry remains;
#   4. uninstalling removes the programs, the shortcuts and the entry, and leaves the user's kept
#      versions under %LOCALAPPDATA%\Kovrel\yedek.
# Usage: windows-msi-test.sh PACKAGE.msi WINDOWS_DIST_DIR LINUX_KOVREL_CONVERT
# Run from the top of the source tree (the higher version is built from packaging/kovrel.wxs).
set -eu

. "$(dirname "$0")/wine-session.sh"
wine_session windows-msi-test "$@"

MSI=$(realpath "$1")
DIST=$(realpath "$2")
LINUX_CONVERT=$(realpath "$3")
EXAMPLE=examples/gelir/beyan.txt

# msiinfo ends its lines with CR LF.
property() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' -v p="$2" '$1 == p {print $2}'; }
# The higher version: the package's own with its last field raised.
version=$(property "$MSI" ProductVersion)
higher=$(echo "$version" | awk -F. '{$NF = $NF + 1; print}' OFS=.)
sh scripts/windows-msi.sh "$higher" "$DIST" "$ROOT/higher.msi" >/dev/null

# D: holds ebyn and the info file; the Linux converter gets its own D: the same way.
WIN_D="$ROOT/wine-d"
LINUX_D="$ROOT/linux-d"
mkdir -p "$WIN_D/ebyn" "$LINUX_D/ebyn" "$ROOT/linux-prefix/dosdevices"
ln -s "$LINUX_D" "$ROOT/linux-prefix/dosdevices/d:"

step "Wine prefix"
wine wineboot --init >/dev/null 2>&1
wineserver -w
ln -s "$WIN_D" "$WINEPREFIX/dosdevices/d:"
wineserver -p

unix_path() { wine winepath -u "$1" 2>/dev/null | tr -d '\r'; }
folder() { unix_path "$(wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r')"; }
LOCAL=$(folder LOCALAPPDATA)
ROAMING=$(folder APPDATA)
INSTALLED="$LOCAL/Programs/Kovrel"
START_MENU="$ROAMING/Microsoft/Windows/Start Menu/Programs"
SEND_TO="$ROAMING/Microsoft/Windows/SendTo"
WINDOW_LNK="$START_MENU/Kovrel.lnk"
GUIDE_LNK="$START_MENU/Kovrel Kullanım Kılavuzu.lnk"
SEND_TO_LNK="$SEND_TO/Kovrel.lnk"
KEPT="$LOCAL/Kovrel/yedek/034250_12345678901_GELIR_10_2026.xml"

msiexec() {
    wine msiexec "$1" "$(wine winepath -w "$2" 2>/dev/null | tr -d '\r')" /qn >"$ROOT/msiexec.out" 2>&1 ||
        { tr -d '\r' <"$ROOT/msiexec.out" >&2; return 1; }
}
# A shortcut's field as lnkinfo prints it ("Local path", "Command line arguments").
lnk_field() { lnkinfo "$1" | sed -n "s/^[[:space:]]*$2[[:space:]]*: //p"; }
# The products Wine lists as installed under the name Kovrel.
installed_codes() { wine uninstaller --list 2>/dev/null | tr -d '\r' | sed -n 's/|||Kovrel$//p'; }

# The installed files are the built ones, and each shortcut points at its installed file.
check_install() {
    for f in kovrel.exe kovrel-convert.exe KULLANIM.html; do
        cmp -s "$DIST/$f" "$INSTALLED/$f" || { why "$INSTALLED/$f is not $DIST/$f"; return 1; }
    done
    installed_windows=$(wine winepath -w "$INSTALLED" 2>/dev/null | tr -d '\r')
    for entry in "$WINDOW_LNK|kovrel.exe" "$GUIDE_LNK|KULLANIM.html" "$SEND_TO_LNK|kovrel.exe"; do
        lnk=${entry%|*}
        [ -f "$lnk" ] || { why "no shortcut $lnk"; return 1; }
        target=$(lnk_field "$lnk" 'Local path')
        [ "$target" = "$installed_windows\\${entry#*|}" ] || { why "$lnk points at '$target'"; return 1; }
    done
}

# --- 1. Install ----------------------------------------------------------------------------
step "install $(basename "$MSI")"
if msiexec /i "$MSI" && check_install; then
    pass "installed into $INSTALLED; Start menu and Send to shortcuts point at the installed files"
else
    fail "install"
fi
if [ "$(installed_codes)" = "$(property "$MSI" ProductCode)" ]; then
    pass "one Kovrel in the installed programs"
else
    fail "installed programs: '$(installed_codes | tr '\n' ' ')'"
fi

# --- 2. Send to ----------------------------------------------------------------------------
step "Send to"
# Explorer starts the target with the chosen file after the shortcut's arguments; the window
# takes its whole command line as the path, so the shortcut must have none.
target=$(lnk_field "$SEND_TO_LNK" 'Local path')
arguments=$(lnk_field "$SEND_TO_LNK" 'Command line arguments')
INPUT_FOLDER="Müşteri Dosyaları/Gülşen Işık"
mkdir -p "$WIN_D/$INPUT_FOLDER"
cp "$EXAMPLE" "$WIN_D/$INPUT_FOLDER/beyan.txt"
input="D:\\$(echo "$INPUT_FOLDER" | tr / '\\')\\beyan.txt"
WINEPREFIX="$ROOT/linux-prefix" "$LINUX_CONVERT" --drive D "$EXAMPLE" >/dev/null
if [ -z "$target" ] || [ -n "$arguments" ]; then
    fail "Send to shortcut: target '$target', arguments '$arguments'"
else
    wine "$target" "$input" >"$ROOT/window.out" 2>&1 &
    pid=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Kovrel - v' | head -1) || window=""
    if [ -z "$window" ]; then
        kill "$pid" 2>/dev/null || true
        fail "Send to: no window"
    else
        sleep 1
        xdotool windowfocus --sync "$window" 2>/dev/null || true
        xdotool key --clearmodifiers alt+b
        i=0
        while kill -0 "$pid" 2>/dev/null && [ "$i" -lt 150 ]; do
            sleep 0.2
            i=$((i + 1))
        done
        (cd "$LINUX_D" && find ebyn -type f | sort) >"$ROOT/linux.list"
        (cd "$WIN_D" && find ebyn -type f | sort) >"$ROOT/wine.list"
        if kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null || true
            fail "Send to: kovrel.exe still running 30 s after Alt+B"
        elif [ -s "$ROOT/linux.list" ] && cmp -s "$ROOT/linux.list" "$ROOT/wine.list" &&
            (cd "$LINUX_D" && xargs -d '\n' -I{} cmp "{}" "$WIN_D/{}" <"$ROOT/linux.list"); then
            pass "Send to: $target \"$input\" wrote $(cat "$ROOT/wine.list"), the same bytes as on Linux"
        else
            diff "$ROOT/linux.list" "$ROOT/wine.list" >&2 || true
            fail "Send to: declaration differs from Linux"
        fi
    fi
fi

# --- 3. Upgrade ----------------------------------------------------------------------------
step "upgrade to $higher"
mkdir -p "$(dirname "$KEPT")"
echo "<beyanname>kept by the user</beyanname>" >"$KEPT"
cp "$KEPT" "$ROOT/kept"
if msiexec /i "$ROOT/higher.msi" && check_install &&
    [ "$(installed_codes)" = "$(property "$ROOT/higher.msi" ProductCode)" ]; then
    pass "$higher over $version: one Kovrel in the installed programs, files and shortcuts in place"
else
    fail "upgrade: installed programs '$(installed_codes | tr '\n' ' ')'"
fi

# --- 4. Uninstall --------------------------------------------------------------------------
step "uninstall"
if msiexec /x "$ROOT/higher.msi"; then
    left=""
    for f in "$INSTALLED" "$WINDOW_LNK" "$GUIDE_LNK" "$SEND_TO_LNK"; do
        [ ! -e "$f" ] || left="$left '$f'"
    done
    [ -z "$(installed_codes)" ] || left="$left (the installed programs' entry)"
    ! wine reg query 'HKCU\Software\Kovrel\Installer' >/dev/null 2>&1 || left="$left (HKCU\\Software\\Kovrel\\Installer)"
    if [ -n "$left" ]; then
        fail "uninstall left$left"
    elif ! cmp -s "$ROOT/kept" "$KEPT"; then
        fail "uninstall removed or changed $KEPT"
    else
        pass "uninstalled: programs, shortcuts and entry gone, $KEPT kept"
    fi
else
    fail "uninstall"
fi

finish
