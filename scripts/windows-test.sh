#!/bin/sh
# Tests the Windows build under Wine, in a throw-away Wine prefix and X server:
#   1. the cross-built test programs (kovrel_core_tests.exe, kovrel_cli_tests.exe if built) on
#      scratch drives;
#   2. kovrel-convert.exe on each bundled example, twice (create, then add to the file it wrote),
#      compared byte for byte with the Linux converter's files; its output redirected (a dry
#      run's declaration, help, a message) byte for byte with the Linux converter's, and its
#      message in a console under three code pages; a declaration held open by another program;
#      the replaced declaration kept under a user folder with Turkish letters;
#   3. kovrel.exe started on each example: kovrel_window_probe.exe checks its manifest and its
#      window (topmost, aware of the monitor's DPI, nothing cut); Alt+B presses the button, and
#      the declaration it writes must equal the Linux converter's. Then its message boxes: an
#      empty info file, and a declaration held open while Alt+B saves.
# Usage: windows-test.sh WINDOWS_BUILD_DIR WINDOWS_DIST_DIR LINUX_KOVREL_CONVERT
set -eu

. "$(dirname "$0")/wine-session.sh"
wine_session windows-test "$@"

WIN_BUILD=$(realpath "$1")
DIST=$(realpath "$2")
LINUX_CONVERT=$(realpath "$3")
EXAMPLES="gelir gelir-ozet kurumlar"

# Drives of the Wine prefix, linked before any program runs, as a running Wine process keeps the
# letters it started with: B: (removable), D:, E: and F: (fixed). D: holds ebyn and the info files
# for the programs; all four are the test programs' scratch drives (KOVREL_TEST_DRIVES), which
# their tests empty. The Linux converter gets its own D: through the same kind of dosdevices entry.
# The links never change during the run; only the folders' contents are reset.
SCRATCH="b d e f"
WIN_D="$ROOT/wine-d"
LINUX_PREFIX="$ROOT/linux-prefix"
LINUX_D="$ROOT/linux-d"
mkdir -p "$LINUX_D" "$LINUX_PREFIX/dosdevices"
ln -s "$LINUX_D" "$LINUX_PREFIX/dosdevices/d:"

step "Wine prefix"
wine wineboot --init >/dev/null 2>&1
wineserver -w
for letter in $SCRATCH; do
    mkdir -p "$ROOT/wine-$letter"
    ln -s "$ROOT/wine-$letter" "$WINEPREFIX/dosdevices/$letter:"
done
wine reg add 'HKLM\Software\Wine\Drives' /v b: /d floppy /f >/dev/null 2>&1
wineserver -w
# One server for the whole run: each program then starts in about a second.
wineserver -p

reset_drives() {
    for letter in $SCRATCH; do
        find "$ROOT/wine-$letter" -mindepth 1 -delete
    done
    find "$LINUX_D" -mindepth 1 -delete
    mkdir -p "$WIN_D/ebyn" "$LINUX_D/ebyn"
}
linux_convert() { WINEPREFIX="$LINUX_PREFIX" "$LINUX_CONVERT" "$@"; }

# The info files lie in a folder with Turkish letters, which must survive the command line and
# the wide-character file API.
INPUT_FOLDER="Gİrdi ıŞşĞğ"
# (sh has no local variables: the loop here must not reuse the callers' "example".)
copy_inputs() {
    for input in $EXAMPLES; do
        mkdir -p "$WIN_D/$INPUT_FOLDER/$input"
        cp "examples/$input/beyan.txt" "$WIN_D/$INPUT_FOLDER/$input/beyan.txt"
    done
}
windows_input() { printf 'D:\\%s\\%s\\beyan.txt' "$INPUT_FOLDER" "$1"; }

# Compares the declarations both sides wrote; prints the files compared.
same_declarations() {
    (cd "$LINUX_D" && find ebyn -type f | sort) >"$ROOT/linux.list"
    (cd "$WIN_D" && find ebyn -type f | sort) >"$ROOT/wine.list"
    if ! cmp -s "$ROOT/linux.list" "$ROOT/wine.list"; then
        echo "files differ:" >&2
        diff "$ROOT/linux.list" "$ROOT/wine.list" >&2 || true
        return 1
    fi
    [ -s "$ROOT/linux.list" ] || { echo "no declaration written" >&2; return 1; }
    while read -r file; do
        cmp "$LINUX_D/$file" "$WIN_D/$file" >&2 || return 1
        echo "    $file ($(wc -c <"$WIN_D/$file") bytes)"
    done <"$ROOT/linux.list"
}

# --- 1. Test programs --------------------------------------------------------------------------
step "test programs"
found=0
for name in kovrel_core_tests kovrel_cli_tests; do
    exe=$(find "$WIN_BUILD/tests" -name "$name.exe" 2>/dev/null | head -1)
    [ -n "$exe" ] || continue
    found=1
    reset_drives
    if (cd "$(dirname "$exe")" && KOVREL_TEST_DRIVES=$(echo $SCRATCH | tr -d " ") wine "$exe" --gtest_brief=1 >"$ROOT/$name.log" 2>&1); then
        pass "$name.exe: $(grep -E '^\[  (PASSED|SKIPPED) ' "$ROOT/$name.log" | tr -d '\r' | tr '\n' ' ')"
    else
        tr -d '\r' <"$ROOT/$name.log" | tail -60 >&2
        fail "$name.exe"
    fi
done
[ "$found" = 1 ] || fail "no test program in $WIN_BUILD/tests"

# --- 2. Command-line converter -----------------------------------------------------------------
step "kovrel-convert.exe"
reset_drives
copy_inputs
for pass_name in create add; do
    for example in $EXAMPLES; do
        linux_convert --drive D "examples/$example/beyan.txt" >"$ROOT/linux.out" 2>&1 ||
            { cat "$ROOT/linux.out" >&2; fail "Linux converter on $example ($pass_name)"; continue; }
        wine "$DIST/kovrel-convert.exe" --drive D "$(windows_input "$example")" >"$ROOT/wine.out" 2>&1 ||
            { tr -d '\r' <"$ROOT/wine.out" >&2; fail "kovrel-convert.exe on $example ($pass_name)"; continue; }
    done
    if same_declarations; then
        pass "kovrel-convert.exe, $pass_name: same bytes as on Linux"
    else
        fail "kovrel-convert.exe, $pass_name: declarations differ from Linux"
    fi
done

# Redirected, the output is the bytes the Linux converter writes: a dry run's declaration
# (a text-mode stream would write CR CR LF), help and messages in UTF-8.
same_output() {
    if [ -s "$ROOT/wine.stdout" ] || [ -s "$ROOT/wine.stderr" ]; then
        if cmp -s "$ROOT/linux.stdout" "$ROOT/wine.stdout" &&
            cmp -s "$ROOT/linux.stderr" "$ROOT/wine.stderr"; then
            pass "kovrel-convert.exe $1, redirected: same bytes as on Linux"
            return
        fi
    fi
    fail "kovrel-convert.exe $1, redirected: bytes differ from Linux"
}
linux_convert --drive D --dry-run examples/kurumlar/beyan.txt >"$ROOT/linux.stdout" 2>"$ROOT/linux.stderr" || true
wine "$DIST/kovrel-convert.exe" --drive D --dry-run "$(windows_input kurumlar)" \
    >"$ROOT/wine.stdout" 2>"$ROOT/wine.stderr" || true
same_output "--dry-run"
linux_convert --help >"$ROOT/linux.stdout" 2>"$ROOT/linux.stderr" || true
wine "$DIST/kovrel-convert.exe" --help >"$ROOT/wine.stdout" 2>"$ROOT/wine.stderr" || true
same_output "--help"
linux_convert 'D:\yok.txt' >"$ROOT/linux.stdout" 2>"$ROOT/linux.stderr" || true
wine "$DIST/kovrel-convert.exe" 'D:\yok.txt' >"$ROOT/wine.stdout" 2>"$ROOT/wine.stderr" || true
same_output "on a missing info file"

# In a console (a pseudo-terminal gives Wine one), the Turkish letters must show whatever the
# console's code page: a message's UTF-8 and a dry run's ISO-8859-9 declaration. Written as
# bytes, the code page showed its own letters for them ("dosyasÄ±").
expected=$(head -1 "$ROOT/linux.stderr")
cp "$DIST/kovrel-convert.exe" "$WINEPREFIX/drive_c/"
mkdir -p "$WIN_D/gelir"
cp examples/gelir/beyan.txt "$WIN_D/gelir/"
in_console() {
    LC_ALL=C.UTF-8 script -qec "wine cmd /c \"chcp $1 >nul & C:\\kovrel-convert.exe $2\"" /dev/null |
        sed 's/\x1b\[[?0-9;]*[a-zA-Z]//g' | tr -d '\r'
}
for page in 857 437 65001; do
    shown=$(in_console "$page" 'D:\yok.txt' | head -1)
    if [ "$shown" = "$expected" ] &&
        in_console "$page" '--drive D --dry-run D:\gelir\beyan.txt' | grep -q '<adi>Gülşen</adi>'; then
        pass "kovrel-convert.exe in a console, code page $page: $shown, <adi>Gülşen</adi>"
    else
        fail "kovrel-convert.exe in a console, code page $page: \"$shown\", not \"$expected\", or no <adi>Gülşen</adi>"
    fi
done

# A program that holds the declaration open without delete sharing, as a virus scanner does:
# released after a second, the run waits and saves; held until this script lets go, the run
# gives up after waiting (at least two seconds) with its Turkish cause, the old bytes stay and
# nothing is left beside them.
declaration=$(cd "$WIN_D" && find ebyn -name '*KURUMLAR*')
# Starts the probe holding the declaration for $1 ms and returns once it holds it;
# end_holder lets go.
hold_declaration() {
    rm -f "$ROOT/hold.out"  # the last holder's "held" is no answer
    wine "$WIN_BUILD/tests/kovrel_window_probe.exe" --hold "D:\\$(echo "$declaration" | tr / '\\')" "$1" \
        >"$ROOT/hold.out" 2>&1 &
    holder=$!
    i=0
    until grep -q held "$ROOT/hold.out" 2>/dev/null || [ "$i" -gt 100 ]; do
        i=$((i + 1))
        sleep 0.1
    done
}
end_holder() {
    kill -9 "$holder" 2>/dev/null || true
    wait "$holder" 2>/dev/null || true
}
linux_convert --drive D --mode create examples/kurumlar/beyan.txt >/dev/null 2>&1 ||
    fail "Linux converter on kurumlar (create)"
for hold in 1000 600000; do
    printf 'eski' >"$WIN_D/$declaration"
    hold_declaration "$hold"
    status=0
    started=$(date +%s%N)
    wine "$DIST/kovrel-convert.exe" --drive D --mode create "$(windows_input kurumlar)" \
        >"$ROOT/wine.out" 2>&1 || status=$?
    took=$((($(date +%s%N) - started) / 1000000))
    left=$(ls -A "$(dirname "$WIN_D/$declaration")" | wc -l)
    if [ "$hold" = 1000 ] && [ "$status" = 0 ] && [ "$left" = 1 ] &&
        cmp -s "$WIN_D/$declaration" "$LINUX_D/$declaration"; then
        pass "kovrel-convert.exe, declaration held for a second: saved once released"
    elif [ "$hold" != 1000 ] && [ "$status" = 1 ] && [ "$left" = 1 ] && [ "$took" -ge 2000 ] &&
        [ "$(cat "$WIN_D/$declaration")" = eski ] &&
        grep -q "başka bir program tarafından açık" "$ROOT/wine.out"; then
        pass "kovrel-convert.exe, declaration held: gave up after $took ms: $(tr -d '\r' <"$ROOT/wine.out" | tr '\n' ' ')"
    else
        tr -d '\r' <"$ROOT/wine.out" >&2
        ls -la "$(dirname "$WIN_D/$declaration")" >&2
        fail "kovrel-convert.exe, declaration held for $hold ms (exit status $status, $took ms)"
    fi
    end_holder
done

# Nothing lost by a wrong choice: a run that creates the declaration anew keeps the bytes it
# replaces under %LOCALAPPDATA%\Kovrel\yedek\<drive>-<taxpayer folder>-<file stem>\<time>.xml,
# here for a user whose folder has Turkish letters.
reset_drives
USER_LOCAL='C:\users\Gülşen Işık\AppData\Local'
kept_folder="$WINEPREFIX/drive_c/users/Gülşen Işık/AppData/Local/Kovrel/yedek/D-12345678901-034250_12345678901_GELIR_10_2026"
replaced="$WIN_D/ebyn/beyannameler/12345678901/034250_12345678901_GELIR_10_2026.xml"
# (An info file whose path has no space: cmd would take its quotes as part of it.)
mkdir -p "$WIN_D/gelir"
cp examples/gelir/beyan.txt "$WIN_D/gelir/"
wine "$DIST/kovrel-convert.exe" --drive D 'D:\gelir\beyan.txt' >/dev/null 2>&1
wine "$DIST/kovrel-convert.exe" --drive D --new --title İkinci 'D:\gelir\beyan.txt' >/dev/null 2>&1
cp "$replaced" "$ROOT/replaced"
wine cmd /c "set LOCALAPPDATA=$USER_LOCAL& C:\\kovrel-convert.exe --drive D --mode create D:\\gelir\\beyan.txt" \
    >"$ROOT/wine.out" 2>&1 || true
kept=$(ls "$kept_folder" 2>/dev/null || true)
if echo "$kept" | grep -qx '[0-9]\{4\}-[0-9][0-9]-[0-9][0-9]_[0-9][0-9]-[0-9][0-9]-[0-9][0-9]\.xml' &&
    cmp -s "$kept_folder/$kept" "$ROOT/replaced" && ! cmp -s "$replaced" "$ROOT/replaced"; then
    pass "kovrel-convert.exe --mode create kept the replaced bytes as $USER_LOCAL\\Kovrel\\yedek\\$(basename "$kept_folder")\\$kept"
else
    tr -d '\r' <"$ROOT/wine.out" >&2
    fail "kovrel-convert.exe --mode create: replaced bytes not kept once in $kept_folder ($kept)"
fi

# --- 3. The window -----------------------------------------------------------------------------
step "kovrel.exe"
# Waits up to $2 seconds for the Wine process $1 to end.
wait_for_exit() {
    i=0
    while kill -0 "$1" 2>/dev/null; do
        i=$((i + 1))
        [ "$i" -le $(($2 * 5)) ] || return 1
        sleep 0.2
    done
}
# Starts kovrel.exe on an info file; $window is its main window once shown, or empty.
start_window() {
    wine "$DIST/kovrel.exe" "$1" >"$ROOT/window.out" 2>&1 &
    pid=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Kovrel - v[0-9.]*$' | head -1) || window=""
}
press() {
    xdotool windowfocus --sync "$1" 2>/dev/null || true
    xdotool key --clearmodifiers "$2"
}
# Waits for the message box titled KOVREL and reads its title and texts into $ROOT/box.txt;
# then each argument must be part of a text.
box_says() {
    wine "$WIN_BUILD/tests/kovrel_window_probe.exe" --texts KOVREL 2>&1 | tr -d '\r' >"$ROOT/box.txt"
    [ "$(head -1 "$ROOT/box.txt")" = KOVREL ] || { cat "$ROOT/box.txt" >&2; return 1; }
    sed -i 1d "$ROOT/box.txt"
    for part in "$@"; do
        grep -qF "$part" "$ROOT/box.txt" || { cat "$ROOT/box.txt" >&2; return 1; }
    done
}
close_box() {
    press "$(xdotool search --onlyvisible --name '^KOVREL$' | head -1)" Return
}
for example in $EXAMPLES; do
    reset_drives
    copy_inputs
    linux_convert --drive D "examples/$example/beyan.txt" >/dev/null
    start_window "$(windows_input "$example")"
    if [ -z "$window" ]; then
        kill "$pid" 2>/dev/null || true
        fail "kovrel.exe on $example: no window"
        continue
    fi
    if wine "$WIN_BUILD/tests/kovrel_window_probe.exe" "Kovrel - v$KOVREL_VERSION" 96 >"$ROOT/probe.log" 2>&1; then
        pass "kovrel.exe on $example: $(tr -d '\r' <"$ROOT/probe.log" | sed 's/^window probe: //; s/; window .*//')"
    else
        tr -d '\r' <"$ROOT/probe.log" >&2
        fail "kovrel.exe on $example: its window as Windows shows it"
    fi
    press "$window" alt+b
    if ! wait_for_exit "$pid" 30; then
        kill "$pid" 2>/dev/null || true
        fail "kovrel.exe on $example: still running 30 s after Alt+B"
        continue
    fi
    if same_declarations >"$ROOT/window.files"; then
        pass "kovrel.exe on $example: Alt+B wrote the same bytes as on Linux"
        cat "$ROOT/window.files"
    else
        fail "kovrel.exe on $example: declaration differs from Linux"
    fi
done

# Failures the user can act on. An empty info file: the message box says so, and once it is
# closed the program ends having written nothing.
reset_drives
mkdir -p "$WIN_D/bos"
: >"$WIN_D/bos/beyan.txt"
wine "$DIST/kovrel.exe" 'D:\bos\beyan.txt' >"$ROOT/window.out" 2>&1 &
pid=$!
if box_says "bilgi dosyası okunamadı." "boş" && close_box && wait_for_exit "$pid" 30 &&
    [ -z "$(find "$WIN_D/ebyn" -type f)" ]; then
    pass "kovrel.exe on an empty info file: \"$(tr '\n' ' ' <"$ROOT/box.txt")\", ended having written nothing"
else
    kill "$pid" 2>/dev/null || true
    fail "kovrel.exe on an empty info file"
fi
# The declaration held by another program: Alt+B shows the save's failure and its Turkish cause,
# the window stays open; once the holder has let go and the box is closed, Alt+B saves. (The file
# there was made from other amounts, so that only that save gives the Linux converter's bytes.)
reset_drives
copy_inputs
sed 's/3\.250,00/3.251,00/' examples/kurumlar/beyan.txt >"$ROOT/other-amounts.txt"
linux_convert --drive D --mode create "$ROOT/other-amounts.txt" >/dev/null
cp -R "$LINUX_D/ebyn/." "$WIN_D/ebyn/"
linux_convert --drive D examples/kurumlar/beyan.txt >/dev/null
declaration=$(cd "$WIN_D" && find ebyn -name '*KURUMLAR*')
cp "$WIN_D/$declaration" "$ROOT/other-amounts.xml"
start_window "$(windows_input kurumlar)"
hold_declaration 600000
press "$window" alt+b
if box_says "XML dosyası oluşturulurken hata oluştu!" "başka bir program tarafından açık"; then
    pass "kovrel.exe, declaration held: \"$(tr '\n' ' ' <"$ROOT/box.txt")\""
else
    fail "kovrel.exe, declaration held: no message box with the cause"
fi
end_holder
close_box
# A window that ended with the box would still take a key pressed at once: it is given time to.
sleep 2
if ! kill -0 "$pid" 2>/dev/null; then
    fail "kovrel.exe, declaration held: the program ended with the message box"
else
    press "$window" alt+b
    if wait_for_exit "$pid" 30 && ! cmp -s "$LINUX_D/$declaration" "$ROOT/other-amounts.xml" &&
        same_declarations >"$ROOT/window.files"; then
        pass "kovrel.exe, declaration let go: the window stayed open, Alt+B again wrote the same bytes as on Linux"
    else
        kill "$pid" 2>/dev/null || true
        fail "kovrel.exe, declaration let go: Alt+B again did not save the Linux converter's bytes"
    fi
fi

finish
