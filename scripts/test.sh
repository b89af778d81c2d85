#!/usr/bin/env bash
# Builds the debug configuration and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset debug >/dev/null
cmake --build --preset debug
ctest --preset debug "$@"
