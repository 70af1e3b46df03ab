#!/usr/bin/env bash
# Builds and runs the benchmarks; each prints its figures and its ratio against the target.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_UNITY_BUILD=ON >/dev/null  # as scripts/test.sh builds it
cmake --build build -j"$(nproc)" --target startup_bench flash_bench print_bench >/dev/null
status=0
build/bench/startup_bench || status=1
build/bench/flash_bench || status=1
build/bench/print_bench || status=1
exit $status
