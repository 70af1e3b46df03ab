#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
#   bash scripts/test.sh             normal build in build/
#   bash scripts/test.sh --sanitize  AddressSanitizer + UBSan build in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."

# lintian checks the Debian packages the package test makes.
bash scripts/install-deps.sh lintian

build=build
extra=()
if [ "${1:-}" = "--sanitize" ]; then
  build=build-asan
  extra=(-DDAXTOOL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
fi

# A unity build compiles a batch of sources as one: the test headers are read once a batch
# instead of once a file, which halves a fresh build on two cores.
cmake -S . -B "$build" -DDAXTOOL_WERROR=ON -DCMAKE_UNITY_BUILD=ON "${extra[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
# Most of the wall time is end-to-end tests waiting on the device's own time-outs and restarts:
# they sleep rather than compute, and each has its own device and runtime directory, so eight
# tests a core run side by side (four under the sanitizers, which do compute). The longest
# start first (tests/test-durations.txt).
per_core=8
[ "$build" = build-asan ] && per_core=4
ctest --test-dir "$build" --output-on-failure -j"$(($(nproc) * per_core))"
