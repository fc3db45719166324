#!/bin/sh
# What registration costs a Unix Makefiles build in which nothing changed: N static libraries of
# one class each (bench/scale_project.cmake), their registration made by the CMake functions or
# written by hand, no-op builds of both in interleaved rounds; prints the medians and their ratio.
#
#   bench/makefiles_noop.sh [N] [rounds]      (defaults: 50 libraries, 15 rounds)
set -eu
cd "$(dirname "$0")/.."
. bench/timing.sh
modules=${1:-50}
rounds=${2:-15}
cmake --preset ci >/dev/null
cmake --build --preset ci --target quorlModuleParser quorlRegenerate >/dev/null
work=$PWD/build/makefiles-noop
rm -rf "$work"
mkdir -p "$work"
cmake --install build/ci --prefix "$work/prefix" >/dev/null
for variant in libraries handwritten; do
    cmake -DDIR="$work/$variant" -DN="$modules" -DVARIANT="$variant" -P bench/scale_project.cmake
    cmake -S "$work/$variant" -B "$work/$variant-build" -G "Unix Makefiles" \
        -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
    make -C "$work/$variant-build" -j2 >/dev/null
done
for round in $(seq "$rounds"); do
    for variant in libraries handwritten; do
        start=$(milliseconds)
        make -C "$work/$variant-build" -j2 >"$work/log" 2>&1
        echo "$(($(milliseconds) - start))" >>"$work/times-$variant"
        if grep -q -e Generating -e Building -e Linking "$work/log"; then
            echo "makefiles_noop: the no-op build of $variant did work:" >&2
            cat "$work/log" >&2
            exit 1
        fi
    done
done
f=$(median "$work/times-libraries")
h=$(median "$work/times-handwritten")
echo "$modules libraries, $rounds rounds, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), $(date -u +%Y-%m-%d)"
echo "Unix Makefiles no-op build: functions $f ms, hand-written $h ms, $(echo "$f $h" | awk '{ printf "%.2f", $1 / $2 }')x"
