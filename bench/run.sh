#!/bin/sh
# Builds the optimised tool and the yardsticks and prints the benchmark table and the ratios
# against the performance goals:
#   bench/run.sh [module_bench options, e.g. --sizes 10,1000 --pairs 5]
# followed by the in-memory microbenchmarks when MICRO=1.
set -eu
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench --target quorlModuleParser qt_noop yardstick_classreg \
    yardstick_tagsinfo module_bench micro_bench >/dev/null
echo "$(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), $(date -u +%Y-%m-%d)"
build/bench/bench/module_bench build/bench/app/quorlModuleParser build/bench/bench/qt_noop \
    build/bench/bench/yardstick_classreg build/bench/bench/yardstick_tagsinfo build/bench-modules "$@"
if [ "${MICRO:-0}" = 1 ]; then
    build/bench/bench/micro_bench
fi
