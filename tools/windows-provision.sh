#!/bin/sh
# What the Windows check needs, made once: the packages (MinGW-w64 with POSIX threads, Wine, Qt's
# host tools), Qt Core and GoogleTest built for MinGW into the cache (QUORL_WINDOWS_CACHE, default
# /var/cache/quorl-windows). Prints the two prefixes, Qt's first, on its last line.
#
#   tools/windows-provision.sh
#
# Debian has no Qt for MinGW, so Debian's own Qt source (qt6-base, through `apt-get source` from a
# deb-src entry for this machine's mirror and release) is cross-built, Core only and static, keyed
# by its version, which is that of the host tools it needs (qt6-base-dev-tools); GoogleTest
# likewise, from /usr/src/googletest. On the 2-core development machine the first run took 11 1/2
# minutes (most of it Qt's 280 build steps). Needs root; exits 2 when it cannot provision.
set -eu
cd "$(dirname "$0")/.."
# Everything but the prefixes goes to the error stream.
exec 3>&1 1>&2
repo=$(pwd)

skip() {
    echo "$*" >&2
    exit 2
}
[ "$(id -u)" = 0 ] || skip "it needs root (packages, the Qt source)"
tools/ensure-packages.sh g++-mingw-w64-x86-64-posix wine wine64 qt6-base-dev-tools \
    libgtest-dev dpkg-dev cmake ninja-build  ||
    skip "the packages it needs cannot be installed here"

toolchain=$repo/cmake/toolchains/mingw-w64-x86_64.cmake
cache=${QUORL_WINDOWS_CACHE:-/var/cache/quorl-windows}
qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
qt=$cache/qt-$qt_version-mingw
gtest=$cache/googletest-$(dpkg-query -W -f='${Version}' libgtest-dev)-mingw
export WINEDEBUG=-all WINEPREFIX="$cache/wine"
mkdir -p "$cache"

if [ ! -f "$qt/lib/cmake/Qt6Core/Qt6CoreConfig.cmake" ]; then
    echo "== Qt $qt_version for MinGW: not in $cache, building it (about 10 minutes)"
    . tools/debian-archives.sh
    [ -n "$mirror" ] || skip "no Debian mirror among this machine's apt sources"
    . /etc/os-release
    cat >/etc/apt/sources.list.d/quorl-src.sources <<SOURCES
Types: deb-src
URIs: $mirror
Suites: $VERSION_CODENAME $VERSION_CODENAME-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    apt-get update
    rm -rf "$cache/src" "$cache/qt-build"
    mkdir -p "$cache/src"
    (cd "$cache/src" && apt-get source --only-source "qt6-base=$qt_version")
    off=""
    for feature in gui network sql xml dbus testlib icu concurrent widgets \
        system_zlib system_pcre2 system_doubleconversion; do
        off="$off -DFEATURE_$feature=OFF"
    done
    # shellcheck disable=SC2086
    cmake -S "$(echo "$cache"/src/qt6-base-*/)" -B "$cache/qt-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$qt" -DQT_HOST_PATH=/usr \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DBUILD_SHARED_LIBS=OFF \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF $off
    cmake --build "$cache/qt-build"
    cmake --install "$cache/qt-build"
    rm -rf "$cache/src" "$cache/qt-build"
fi

# This Qt's qmake runs the MinGW compilers by their prefixed names, as Qt's configure would write
# it with -device-option CROSS_COMPILE=.
grep -q '^CROSS_COMPILE' "$qt/mkspecs/qdevice.pri" ||
    echo "CROSS_COMPILE = x86_64-w64-mingw32-" >>"$qt/mkspecs/qdevice.pri"

if [ ! -f "$gtest/lib/libgtest.a" ]; then
    echo "== GoogleTest for MinGW: not in $cache, building it"
    rm -rf "$cache/gtest-build"
    cmake -S /usr/src/googletest -B "$cache/gtest-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$gtest" -DBUILD_GMOCK=OFF
    cmake --build "$cache/gtest-build"
    cmake --install "$cache/gtest-build"
    rm -rf "$cache/gtest-build"
fi

echo "$qt $gtest" >&3
