#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
cd build
ctest --output-on-failure -j"$(nproc)" --timeout 600
cd ..
# A bounded fuzzing run of the highlighter on every test run.
scripts/fuzz.sh 60
