#!/bin/sh
# Builds the optimised tool and prints its benchmark table:
#   bench/run.sh [module_bench options, e.g. --sizes 10,1000 --runs 5]
# followed by the in-memory microbenchmarks when MICRO=1.
set -eu
cd "$(dirname "$0")/.."
cmake --preset ci >/dev/null
cmake --build --preset ci --target quorlModuleParser qt_noop module_bench micro_bench >/dev/null
build/ci/bench/module_bench build/ci/app/quorlModuleParser build/ci/bench/qt_noop \
    build/bench-modules "$@"
if [ "${MICRO:-0}" = 1 ]; then
    build/ci/bench/micro_bench
fi
