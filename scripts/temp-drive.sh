# Sourced by scripts that need a Wine-style drive D: of their own:
#   . scripts/temp-drive.sh; use_temp_drive ROOT
# makes ROOT/drive-d (holding an ebyn folder) drive D: through ROOT/prefix/dosdevices and exports
# WINEPREFIX; DRIVE_D names the folder. The kept declarations go to ROOT/state, not the user's.
use_temp_drive() {
    mkdir -p "$1/prefix/dosdevices" "$1/drive-d/ebyn"
    ln -s "$1/drive-d" "$1/prefix/dosdevices/d:"
    WINEPREFIX="$1/prefix"
    DRIVE_D="$1/drive-d"
    XDG_STATE_HOME="$1/state"
    export WINEPREFIX XDG_STATE_HOME
}
