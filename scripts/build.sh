#!/usr/bin/env bash
# Configures and builds into ./build (RelWithDebInfo, -O2): the editor, the tests and the benchmarks,
# optimised as the benchmarks must be. One source file at a time, so an edit rebuilds one file.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
