#!/usr/bin/env bash
# The main job: build the release configuration and run the shipped design session, which
# follows one edit from a form into the form inherited from it. What it saves and draws goes
# to build/release/session/, never over the shipped files.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target formwright
out=build/release/session
rm -rf "$out"
build/release/bin/formwright script examples/session/road.fws --out "$out" "$@"
echo "saved under $out/:"
(cd "$out" && find . -type f | sort | sed 's|^\./|  |')
