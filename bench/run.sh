#!/bin/sh
# Builds the optimised tool and the yardstick and prints the benchmark table and the ratios
# against the guardrails:
#   bench/run.sh [module_bench options, e.g. --sizes 10,1000 --pairs 5]
set -eu
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench --target quorlModuleParser qt_noop yardstick_classreg module_bench \
    >/dev/null
echo "$(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), $(date -u +%Y-%m-%d)"
build/bench/bench/module_bench build/bench/app/quorlModuleParser build/bench/bench/qt_noop \
    build/bench/bench/yardstick_classreg build/bench-modules "$@"
