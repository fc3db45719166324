#!/bin/sh
# The generation step of a whole build: an N-module CMake project (bench/scale_project.cmake),
# generated (a) through the package's CMake functions and (b) by the tool as plain custom
# commands. For Ninja and Unix Makefiles, with -j2: clean generation, a no-op build, regeneration
# after a touch of every input (contents unchanged), and the build after that, which must do
# nothing. Three interleaved rounds at least; the table shows medians and the ratio.
#
#   bench/build_scale.sh [N] [rounds]      (defaults: 300 modules, 3 rounds)
set -eu
cd "$(dirname "$0")/.."
. bench/timing.sh
modules=${1:-300}
rounds=${2:-3}
cmake --preset ci >/dev/null
cmake --build --preset ci --target quorlModuleParser quorlRegenerate >/dev/null
work=$PWD/build/scale
rm -rf "$work"
mkdir -p "$work"
cmake --install build/ci --prefix "$work/prefix" >/dev/null

variants="functions plain"
generators="Ninja Makefiles"
build() { # generator, folder; prints what it ran
    if [ "$1" = Ninja ]; then ninja -C "$2" -j2; else make -C "$2" -j2; fi
}
# Fails when a build that should do nothing ran a command.
expect_nothing() {
    if grep -q -e Generating -e Building -e Linking "$1"; then
        echo "build_scale: $2 did work:" >&2
        cat "$1" >&2
        exit 1
    fi
}

for variant in $variants; do
    cmake -DDIR="$work/$variant" -DN="$modules" -DVARIANT="$variant" -P bench/scale_project.cmake
    for generator in $generators; do
        name=$generator
        [ "$generator" = Makefiles ] && name="Unix Makefiles"
        start=$(milliseconds)
        cmake -S "$work/$variant" -B "$work/$variant-$generator" -G "$name" \
            -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
        echo "$(($(milliseconds) - start))" >>"$work/configure-$variant-$generator"
    done
done

for round in $(seq "$rounds"); do
    for generator in $generators; do
        for variant in $variants; do
            dir="$work/$variant-$generator"
            cmake --build "$dir" --target clean >/dev/null
            for step in clean noop touch after; do
                if [ "$step" = touch ]; then
                    find "$work/$variant/modules" -type f -exec touch {} +
                fi
                start=$(milliseconds)
                build "$generator" "$dir" >"$work/log" 2>&1
                echo "$(($(milliseconds) - start))" >>"$work/$step-$variant-$generator"
                case $step in noop | after) expect_nothing "$work/log" "$variant $generator $step" ;; esac
            done
        done
    done
done

echo "$modules modules of 10 CLASSES values, $rounds rounds, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), $(date -u +%Y-%m-%d)"
printf '%-10s %-28s %10s %10s %12s\n' generator step functions plain "fn/plain"
for generator in $generators; do
    for step in clean noop touch after; do
        f=$(median "$work/$step-functions-$generator")
        p=$(median "$work/$step-plain-$generator")
        case $step in
            clean) label="clean generation" ;;
            noop) label="no-op build" ;;
            touch) label="after touching every input" ;;
            after) label="the build after that" ;;
        esac
        printf '%-10s %-28s %8s ms %7s ms %11sx\n' "$generator" "$label" "$f" "$p" \
            "$(echo "$f $p" | awk '{ printf "%.2f", $1 / $2 }')"
    done
done
echo "configure, functions: Ninja $(median "$work/configure-functions-Ninja") ms, Unix Makefiles $(median "$work/configure-functions-Makefiles") ms"
echo "no-op builds and the builds after a touch ran no command (checked); guardrail: fn/plain at most 1.15x"
