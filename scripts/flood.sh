#!/usr/bin/env bash
# Floods `formwright exec` with two-byte lines on both standard output and standard error and
# reports wall time, peak memory and whether every byte came through.
#   scripts/flood.sh [FORMWRIGHT] [MEGABYTES]
# Defaults: the release build if there is one, else the debug build; 100 MB per stream.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-}
if [[ -z $bin ]]; then
  for b in "$root/build/release/bin/formwright" "$root/build/debug/bin/formwright"; do
    [[ -x $b ]] && { bin=$b; break; }
  done
fi
[[ -x ${bin:-} ]] || { echo "flood.sh: no formwright binary (build one first)" >&2; exit 2; }
mb=${2:-100}
bytes=$((mb * 1024 * 1024))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

child="sh -c '(yes a | head -c $bytes) & (yes b | head -c $bytes >&2); wait'"
/usr/bin/time -v -o "$work/time" "$bin" exec "$child" \
  > >(wc -c > "$work/out") 2> >(wc -c > "$work/err") || true
wait
out=$(cat "$work/out")
err=$(cat "$work/err")
wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time")
rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time")
tail=$(printf 'exit code: 0\n' | wc -c)
echo "flood: $mb MB of two-byte lines on each stream through $(basename "$(dirname "$(dirname "$bin")")") formwright exec"
echo "  wall time:       $wall"
echo "  peak RSS:        $((rss / 1024)) MB ($rss kB)"
echo "  stdout bytes:    $out (expected $bytes)"
echo "  stderr bytes:    $err (expected $((bytes + tail)))"
[[ $out -eq $bytes && $err -eq $((bytes + tail)) ]] || { echo "flood.sh: output lost" >&2; exit 1; }
