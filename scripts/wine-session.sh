# Sourced by the Wine test scripts, before anything else they do:
#   . scripts/wine-session.sh; wine_session NAME "$@"
# runs the script again under an X server of its own unless it has one, and gives it a
# throw-away folder ROOT holding a Wine prefix (WINEPREFIX: quiet, no Mono or Gecko prompt, no
# desktop menus), removed with everything Wine started when the script ends; the Linux
# converter's kept declarations go there too. pass, fail, step and finish report under NAME.
wine_session() {
    SESSION=$1
    shift
    if [ -z "${KOVREL_WINE_XVFB:-}" ]; then
        KOVREL_WINE_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" sh "$0" "$@"
    fi
    ROOT=$(mktemp -d "${TMPDIR:-/tmp}/kovrel-$SESSION.XXXXXX")
    export WINEPREFIX="$ROOT/wine-prefix" WINEDEBUG=-all XDG_STATE_HOME="$ROOT/state" \
        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    trap 'wineserver -k 2>/dev/null || true; rm -rf "$ROOT"' EXIT
    trap 'exit 1' INT TERM
    failures=0
}

# printf, not echo: dash's echo would read the backslashes of Windows paths as escapes.
pass() { printf '%s: ok   %s\n' "$SESSION" "$*"; }
why() { printf '%s\n' "$*" >&2; }
fail() {
    why "$SESSION: FAIL $*"
    failures=$((failures + 1))
}
step() { printf '%s: -- %s (%s)\n' "$SESSION" "$*" "$(date +%T)"; }
finish() {
    if [ "$failures" -ne 0 ]; then
        why "$SESSION: $failures failure(s)"
        exit 1
    fi
    printf '%s: all passed\n' "$SESSION"
}
