#!/bin/sh
# Builds the optimised tool and the yardsticks and prints the benchmark table and the ratios
# against the performance goals:
#   bench/run.sh [module_bench options, e.g. --sizes 10,1000 --pairs 5]
# followed by the in-memory microbenchmarks when MICRO=1.
set -eu
cd "$(dirname "$0")/.."
cmake --preset ci >/dev/null
cmake --build --preset ci --target quorlModuleParser qt_noop yardstick_classreg \
    yardstick_tagsinfo module_bench micro_bench >/dev/null
echo "$(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), $(date -u +%Y-%m-%d)"
build/ci/bench/module_bench build/ci/app/quorlModuleParser build/ci/bench/qt_noop \
    build/ci/bench/yardstick_classreg build/ci/bench/yardstick_tagsinfo build/bench-modules "$@"
if [ "${MICRO:-0}" = 1 ]; then
    build/ci/bench/micro_bench
fi
