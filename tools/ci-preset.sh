#!/bin/sh
# The `ci` preset's steps (CMakePresets.json) through the presets where CMake reads that file
# (3.25 and newer), and as plain commands with the same settings on older CMake (Debian 11 has
# 3.18):
#   tools/ci-preset.sh configure | build [cmake --build arguments] | workflow
set -eu
cd "$(dirname "$0")/.."
step=$1
shift
if cmake --version | head -n 1 |
    awk '{ split($3, v, "."); exit !(v[1] > 3 || (v[1] == 3 && v[2] >= 25)) }'; then
    case "$step" in
    configure) exec cmake --preset ci ;;
    build) exec cmake --build --preset ci "$@" ;;
    workflow) exec cmake --workflow --preset ci ;;
    esac
fi
# The ci preset's settings, for CMake without presets.
dir=build/ci
case "$step" in
configure)
    exec cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQUORL_WARNINGS_AS_ERRORS=ON
    ;;
build) exec cmake --build "$dir" "$@" ;;
workflow)
    "$0" configure
    "$0" build
    cd "$dir"
    exec ctest --output-on-failure --no-tests=error -j2
    ;;
esac
echo "usage: tools/ci-preset.sh configure | build [arguments] | workflow" >&2
exit 2
