#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. The tests build into ./build-test at -O1 in
# batches of sources (a unity build), which takes a fresh clone through in minutes; scripts/build.sh
# keeps the optimised build in ./build for the editor and the benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build=build-test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALLO_UNITY_BUILD=ON \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 600
cd ..
# A bounded fuzzing run of the highlighter on every test run.
scripts/fuzz.sh 60
