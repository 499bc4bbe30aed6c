#!/usr/bin/env bash
# Builds Kinloom in build/ (scripts/configure.sh) and runs the whole test
# suite.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/configure.sh
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
