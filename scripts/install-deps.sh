#!/bin/sh
# Installs Debian packages that are missing; quick when all are present. Without arguments, the
# packages the Linux build and tests need; with arguments, those packages (for example
# `install-deps.sh clang libclang-rt-14-dev` for fuzzing).
set -e
PACKAGES="cmake make g++ pkg-config libxml2-dev libxml2-utils libgtest-dev googletest libwxgtk3.2-dev xvfb xauth"
[ $# -gt 0 ] && PACKAGES="$*"
missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
