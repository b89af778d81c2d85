#!/usr/bin/env bash
# Times inspect, set and tree end to end (process start to exit) on a generated text form of N
# components (default 10000): panels of nine buttons each, with a menu beside them; then a
# design script of 1,000 commands on a new form, and one of 1,000 commands on that big form.
set -euo pipefail
cd "$(dirname "$0")/.."
n=${1:-10000}
scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target formwright
host=build/release/bin/formwright
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
awk -v n="$n" 'BEGIN {
  print "object BigForm: TBigForm"
  print "  Caption = '\''Big'\''"
  print "  ClientHeight = 600"
  print "  ClientWidth = 800"
  for (p = 0; p < int(n / 10); p++) {
    printf "  object Panel%d: TPanel\n    Left = %d\n    Top = %d\n    Width = 400\n    Height = 40\n    TabOrder = %d\n", p, p % 7, p, p
    for (b = 0; b < 9; b++)
      printf "    object Button%d_%d: TButton\n      Left = %d\n      Top = 8\n      Width = 40\n      Height = 25\n      Caption = '\''B%d'\''\n      TabOrder = %d\n    end\n", p, b, 44 * b, b, b
    print "  end"
  }
  print "end"
}' >"$work/big.fwf"
echo "$(grep -c '^ *object ' "$work/big.fwf") components, $(wc -c <"$work/big.fwf") bytes"
run() {
  local start end
  start=$(date +%s.%N)
  "$host" "$@" >/dev/null
  end=$(date +%s.%N)
  printf '%-56s %6.3f s\n' "$*" "$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')" | sed "s|$work/||g"
}
run inspect "$work/big.fwf"
run inspect "$work/big.fwf" --select Button7_3 --json
run set "$work/big.fwf" Button7_3.Caption=Changed -o "$work/out.fwf"
run tree "$work/big.fwf"
# 1,000 commands: drop, type a caption, select, check; the first on a new form, the second on
# the big one.
awk 'BEGIN {
  print "new TForm Small"
  for (i = 1; i <= 249; i++)
    printf "create TButton at %d,%d\nset Button%d.Caption=B%d\nmove 1,1\nexpect Button%d.Caption=B%d\n", (i * 13) % 600, (i * 7) % 400, i, i, i, i
  print "save to small.fwf"
}' >"$work/small.fws"
awk -v panels=$((n / 10)) 'BEGIN {
  print "open big.fwf"
  for (i = 1; i <= 249; i++)
    printf "create TButton at 700,500\nset Button%d.Caption=B%d\nselect Button%d_3\nexpect Button%d.Caption=B%d\n", i, i, i % panels, i, i
  print "save to big-edited.fwf"
}' >"$work/big.fws"
run script "$work/small.fws"
run script "$work/big.fws"
