#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in build-fuzz/ and runs each for a while over
# its seed corpus (made by fuzz/make_corpus.py) and what earlier runs kept.
#   bash scripts/fuzz.sh [SECONDS]   seconds per target, default 60
# A target that finds a failure stops; its input is left as build-fuzz/findings/<target>/crash-*
# and the script exits 1 after running the others. A line per target gives runs and findings.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

bash scripts/install-deps.sh clang python3 || exit 1
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DDAXTOOL_FUZZ=ON -DBUILD_TESTING=OFF \
  -DDAXTOOL_WINDOW=OFF -DDAXTOOL_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_UNITY_BUILD=ON \
  >/dev/null || exit 1
cmake --build build-fuzz --target fuzzers -j"$(nproc)" >/dev/null || exit 1
python3 fuzz/make_corpus.py build-fuzz/seeds || exit 1

# Without malloc stacks ASan allocates far faster; a failure still names its place.
export ASAN_OPTIONS="malloc_context_size=0:detect_leaks=0"
failed=0
for target in fuzz_answers fuzz_recognition fuzz_flash_file fuzz_programming fuzz_device_names \
  fuzz_raster_codec fuzz_sim_parser; do
  work="build-fuzz/corpus/$target"
  findings="build-fuzz/findings/$target"
  mkdir -p "$work" "$findings"
  log="build-fuzz/findings/$target.log"
  build-fuzz/fuzz/$target -max_total_time="$seconds" ${FUZZ_SEED:+-seed="$FUZZ_SEED"} -max_len=140000 -entropic=0 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$work" "build-fuzz/seeds/$target" \
    >"$log" 2>&1
  status=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
  crashes=$(find "$findings" -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' | wc -l)
  echo "$target: ${runs:-?} runs in ${seconds} s, ${crashes} finding(s), exit ${status}"
  if [ "$status" -ne 0 ]; then
    failed=1
    grep -m3 -E 'property failed|ERROR:|SUMMARY' "$log"
  fi
done
exit "$failed"
