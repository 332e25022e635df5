#!/usr/bin/env bash
# Builds and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/build.sh

if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
    xvfb-run -a ctest --test-dir build --output-on-failure
else
    ctest --test-dir build --output-on-failure
fi
