#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for the given number of seconds (default 30)
# on a scratch copy of its seed corpus in fuzz/corpus/<name>.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
scripts/deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
shopt -s nullglob
for f in build/fuzz/bin/*_fuzz; do
  name=$(basename "$f" _fuzz)
  work=build/fuzz/corpus-work/$name
  mkdir -p "$work"
  seeds=fuzz/corpus/$name
  echo "== fuzzing $name for ${seconds}s"
  if [ -d "$seeds" ]; then
    "$f" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 "$work" "$seeds" 2>&1 | tail -n 5
  else
    "$f" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 "$work" 2>&1 | tail -n 5
  fi
done
