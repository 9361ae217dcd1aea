#!/usr/bin/env bash
# Builds into ./build-asan with AddressSanitizer and UBSan and runs every test there, so that a
# memory error or undefined behaviour anywhere in the suite fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-asan
flags="-O1 -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTALLO_UNITY_BUILD=ON \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" -j"$(nproc)"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 900
