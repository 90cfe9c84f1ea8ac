#!/bin/sh
# Prepares everything the Windows cross-build needs: the MinGW-w64 compiler, Wine and Xvfb from
# Debian, and static libxml2, wxMSW and GoogleTest built for Windows from Debian's own sources.
# The libraries go to one prefix in a cache folder outside the source tree; each library is
# rebuilt only when its version, its build flags or the compiler changed, so that a later run
# ends in seconds. Prints the prefix on its last line.
#
#   KOVREL_WIN_CACHE  cache folder (default /var/cache/kovrel-windows)
#   JOBS              parallel compile jobs (default 2)
set -eu

CACHE=${KOVREL_WIN_CACHE:-/var/cache/kovrel-windows}
JOBS=${JOBS:-2}
HOST=x86_64-w64-mingw32

log() { echo "windows-deps: $*" >&2; }

# --- Debian packages -------------------------------------------------------------------------
# wixl, msitools, cmark-gfm and zip make the installer, the guide and the zip; liblnk-utils reads
# the installed shortcuts in the tests.
sh "$(dirname "$0")/install-deps.sh" g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth xdotool \
    imagemagick dpkg-dev googletest make cmake wixl msitools cmark-gfm zip liblnk-utils >&2

# --- Build flags (part of the cache key) -----------------------------------------------------
LIBXML2_FLAGS="--host=$HOST --enable-static --disable-shared --without-python --without-iconv \
--without-icu --without-zlib --without-lzma --without-http --without-ftp --without-modules \
--without-readline --without-history --with-xpath --with-iso8859x"

# A minimal static wxMSW: the controls of one dialog-like window, message and text-entry boxes,
# and the action simulator for tests. OLE, variant, dataobj and streams keep 3.2.2's text entry
# linkable; menus and image are needed by the frame.
WX_FLAGS="--host=$HOST --build=x86_64-pc-linux-gnu --with-msw --disable-shared \
--disable-all-features --without-subdirs --disable-tests --enable-unicode --enable-controls \
--enable-button --enable-choice --enable-radiobtn \
--enable-statbox --enable-stattext --enable-textctrl --enable-msgdlg --enable-textdlg \
--enable-uiactionsim --enable-timer --enable-log --enable-longlong --disable-accessibility \
--enable-image --enable-menus --enable-menubar --enable-regkey --enable-ole --enable-variant \
--enable-dataobj --enable-streams --enable-file --enable-ffile --enable-stdpaths --enable-dynlib \
--enable-dynamicloader --enable-uxtheme --enable-wxdib --enable-intl --enable-threads \
--without-opengl --without-libpng --without-libjpeg --without-libtiff --without-zlib \
--without-expat --without-regex --without-liblzma --without-nanosvg --without-libcurl"

candidate() {
    # The archive's version of a binary package, without a binary-only rebuild suffix; the
    # source package of the same version is the one fetched below.
    apt-cache policy "$1" | awk '/Candidate:/{print $2; exit}' | sed 's/+b[0-9]*$//'
}
LIBXML2_VERSION=$(candidate libxml2)
WX_VERSION=$(candidate libwxbase3.2-1)
GTEST_VERSION=$(dpkg-query -W -f='${Version}' googletest)
GCC_VERSION=$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix)
[ -n "$LIBXML2_VERSION" ] && [ -n "$WX_VERSION" ] || { log "apt lists lack libxml2/wxwidgets3.2; run apt-get update"; exit 1; }

GTEST_FLAGS="-DBUILD_GMOCK=ON -DCMAKE_BUILD_TYPE=Release"

# A library's key: what it is built from and how.
key() { printf '%s\n' "$@" "$GCC_VERSION" | sha256sum | cut -c1-16; }
LIBXML2_KEY=$(key "$LIBXML2_VERSION" "$LIBXML2_FLAGS")
WX_KEY=$(key "$WX_VERSION" "$WX_FLAGS")
GTEST_KEY=$(key "$GTEST_VERSION" "$GTEST_FLAGS")
PREFIX="$CACHE/mingw-w64-x86_64"
built() { [ "$(cat "$PREFIX/.built-$1" 2>/dev/null)" = "$2" ]; }

if built libxml2 "$LIBXML2_KEY" && built wxwidgets "$WX_KEY" && built googletest "$GTEST_KEY"; then
    log "reusing $PREFIX"
    ln -sfn "$(basename "$PREFIX")" "$CACHE/current"
    echo "$PREFIX"
    exit 0
fi

# --- Sources ---------------------------------------------------------------------------------
log "building into $PREFIX (libxml2 $LIBXML2_VERSION, wxWidgets $WX_VERSION, GoogleTest $GTEST_VERSION)"
mkdir -p "$CACHE" "$PREFIX"
WORK=$(mktemp -d "$CACHE/work.XXXXXX")
chmod 755 "$WORK"  # apt's download user writes the lists there
trap 'rm -rf "$WORK"' EXIT INT TERM

SRC_DL="$CACHE/sources"
mkdir -p "$SRC_DL"
have_source() { ls "$SRC_DL/$1_$(echo "$2" | sed 's/^[0-9]*://').dsc" >/dev/null 2>&1; }
if { ! built libxml2 "$LIBXML2_KEY" && ! have_source libxml2 "$LIBXML2_VERSION"; } ||
    { ! built wxwidgets "$WX_KEY" && ! have_source wxwidgets3.2 "$WX_VERSION"; }; then
    # A temporary deb-src list made from the machine's own archive address; the machine's apt
    # configuration is left untouched.
    uri=""
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        uri=$(awk '/^URIs:/{print $2; exit}' /etc/apt/sources.list.d/debian.sources)
    fi
    if [ -z "$uri" ] && [ -f /etc/apt/sources.list ]; then
        uri=$(awk '$1=="deb"{print $2; exit}' /etc/apt/sources.list)
    fi
    suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
    # Security updates of libxml2 come from the security archive.
    suri=""
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        suri=$(awk '/^URIs:/ && /security/{print $2; exit}' /etc/apt/sources.list.d/debian.sources)
    fi
    {
        printf 'deb-src %s %s main\n' "$uri" "$suite"
        printf 'deb-src %s %s-updates main\n' "$uri" "$suite"
        if [ -n "$suri" ]; then printf 'deb-src %s %s-security main\n' "$suri" "$suite"; fi
    } >"$WORK/src.list"
    mkdir -p "$WORK/lists/partial"
    APT_OPTS="-o Dir::Etc::sourcelist=$WORK/src.list -o Dir::Etc::sourceparts=- -o Dir::State::Lists=$WORK/lists -o Debug::NoLocking=1"
    # shellcheck disable=SC2086
    apt-get $APT_OPTS -qq update >&2
    # shellcheck disable=SC2086
    (cd "$SRC_DL" && apt-get $APT_OPTS -qq source --download-only \
        "libxml2=$LIBXML2_VERSION" "wxwidgets3.2=$WX_VERSION" >&2)
fi

unpack() {
    dsc=$(ls "$SRC_DL/$1_$(echo "$2" | sed 's/^[0-9]*://').dsc")
    dpkg-source -q -x "$dsc" "$WORK/$1" >&2 2>/dev/null || dpkg-source -x "$dsc" "$WORK/$1" >&2
}

export CC="$HOST-gcc-posix" CXX="$HOST-g++-posix" AR="$HOST-ar" RANLIB="$HOST-ranlib"

# --- libxml2 ---------------------------------------------------------------------------------
if ! built libxml2 "$LIBXML2_KEY"; then
    log "libxml2"
    unpack libxml2 "$LIBXML2_VERSION"
    # Debian's patches touch Makefile.am files of tests and documentation only; keep the shipped
    # generated files current so that make does not ask for automake.
    (cd "$WORK/libxml2" && touch aclocal.m4 && touch configure config.h.in &&
        find . -name Makefile.in -exec touch {} +)
    # shellcheck disable=SC2086
    (cd "$WORK/libxml2" && ./configure --prefix="$PREFIX" $LIBXML2_FLAGS CFLAGS="-O2" >"$WORK/libxml2.log" 2>&1 &&
        make -j"$JOBS" >>"$WORK/libxml2.log" 2>&1 &&
        make install >>"$WORK/libxml2.log" 2>&1) || { tail -40 "$WORK/libxml2.log" >&2; exit 1; }
    echo "$LIBXML2_KEY" >"$PREFIX/.built-libxml2"
fi

# --- wxWidgets (wxMSW) -----------------------------------------------------------------------
if ! built wxwidgets "$WX_KEY"; then
    log "wxWidgets"
    unpack wxwidgets3.2 "$WX_VERSION"
    mkdir -p "$WORK/wxbuild"
    # shellcheck disable=SC2086
    (cd "$WORK/wxbuild" && ../wxwidgets3.2/configure --prefix="$PREFIX" $WX_FLAGS \
        CC="$CC" CXX="$CXX" >"$WORK/wx.log" 2>&1 &&
        make -j"$JOBS" >>"$WORK/wx.log" 2>&1 &&
        make install >>"$WORK/wx.log" 2>&1) || { tail -40 "$WORK/wx.log" >&2; exit 1; }
    echo "$WX_KEY" >"$PREFIX/.built-wxwidgets"
fi

# --- GoogleTest ------------------------------------------------------------------------------
if ! built googletest "$GTEST_KEY"; then
    log "GoogleTest"
    cmake -S /usr/src/googletest -B "$WORK/gtest" -DCMAKE_SYSTEM_NAME=Windows \
        -DCMAKE_SYSTEM_PROCESSOR=x86_64 -DCMAKE_C_COMPILER="$CC" -DCMAKE_CXX_COMPILER="$CXX" \
        -DCMAKE_RC_COMPILER="$HOST-windres" $GTEST_FLAGS \
        -DCMAKE_INSTALL_PREFIX="$PREFIX" >"$WORK/gtest.log" 2>&1 &&
        cmake --build "$WORK/gtest" -j"$JOBS" >>"$WORK/gtest.log" 2>&1 &&
        cmake --install "$WORK/gtest" >>"$WORK/gtest.log" 2>&1 || { tail -40 "$WORK/gtest.log" >&2; exit 1; }
    echo "$GTEST_KEY" >"$PREFIX/.built-googletest"
fi

printf 'libxml2 %s\nwxwidgets3.2 %s\ngoogletest %s\nmingw %s\n' "$LIBXML2_VERSION" "$WX_VERSION" \
    "$GTEST_VERSION" "$GCC_VERSION" >"$PREFIX/versions.txt"
ln -sfn "$(basename "$PREFIX")" "$CACHE/current"
log "done"
echo "$PREFIX"
