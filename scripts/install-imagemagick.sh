#!/bin/sh
# Installs ImageMagick, which `make screenshots` uses to grab the Xvfb screen; quick when present.
set -e
dpkg-query -W -f='${Status}' imagemagick 2>/dev/null | grep -q "install ok installed" && exit 0
echo "installing: imagemagick"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends imagemagick
