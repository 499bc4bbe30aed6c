#!/usr/bin/env bash
# Builds Kinloom and writes the site of the shipped example tree into
# example/html (open example/html/surnames.htm in a browser).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/configure.sh
cmake --build build -j"$(nproc)" --target kinloom-create
cd example
../build/kinloom-create
