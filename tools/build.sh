#!/usr/bin/env bash
# Configures and builds everything (plug-in, harness, tests, benchmarks) into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"
