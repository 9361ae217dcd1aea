#!/usr/bin/env bash
# fuzz.sh [SECONDS]: builds the libFuzzer targets with clang into build-fuzz and runs each for
# SECONDS (default 60); fails when a target crashes or breaks an invariant.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build=build-fuzz

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALLO_FUZZ=ON >/dev/null
targets=(highlight)
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

for target in "${targets[@]}"; do
  corpus="$build/fuzz/corpus/$target"
  mkdir -p "$corpus"
  echo "fuzzing $target for $seconds s"
  # New inputs go to the build's corpus; the seeds in fuzz/corpus are only read.
  "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$build/fuzz/$target-" "$corpus" "fuzz/corpus/$target"
done
echo "fuzzing passed"
