#!/usr/bin/env bash
# The main job: build the release configuration and run the command-line host on its samples.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target formwright
exec build/release/bin/formwright demo examples/forms "$@"
