#!/bin/sh
# The Windows check: cross-builds the tool and its tests for 64-bit Windows with MinGW-w64 against
# a real Qt Core (tools/windows-provision.sh), and runs the suite under Wine through CTest, with
# Wine as the cross-compiling emulator. The suite's modular application test builds the
# application for Windows with the host's tool (its shared module a DLL, a unity build too) and
# runs it. The tool is left at build/windows/app/quorlModuleParser.exe.
#
#   tools/windows-check.sh
#
# Needs root for the provisioning; without root, or where it cannot be had, it says loudly that
# it skipped.
set -eu
cd "$(dirname "$0")/.."
status=0
prefixes=$(tools/windows-provision.sh) || status=$?
if [ "$status" != 0 ]; then
    echo "*** WINDOWS CHECK SKIPPED: provisioning gave $status (above) ***" >&2
    [ "$status" = 2 ] && exit 0
    exit "$status"
fi
qt=${prefixes% *}
gtest=${prefixes#* }
export WINEDEBUG=-all WINEPREFIX="${QUORL_WINDOWS_CACHE:-/var/cache/quorl-windows}/wine"

echo "== the host's tool, for the modular application, in build/windows-host"
tools/ci-preset.sh configure
cmake --build build/ci --target quorlModuleParser quorlRegenerate
cmake --install build/ci --prefix "$PWD/build/windows-host" >/dev/null

echo "== the tool and its tests for Windows, in build/windows"
cmake -S . -B build/windows -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchains/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$qt;$gtest" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DQUORL_WARNINGS_AS_ERRORS=ON \
    -DQUORL_TEST_HOST_PREFIX="$PWD/build/windows-host"
cmake --build build/windows

echo "== the test suite under Wine"
cd build/windows
ctest --output-on-failure -j2
