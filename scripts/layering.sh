#!/usr/bin/env bash
# Fails when a source file includes a folder that src/layers.txt does not allow its folder.
set -euo pipefail
cd "$(dirname "$0")/.."
table=src/layers.txt

declare -A allowed=()
pairs=""
while IFS= read -r line; do
  line=${line%%#*}
  [[ $line =~ ^[[:space:]]*([a-z0-9_]+):(.*)$ ]] || continue
  folder=${BASH_REMATCH[1]}
  allowed[$folder]=" ${BASH_REMATCH[2]//[[:space:]]/ } "
  pairs+="$folder $folder"$'\n'
  for dep in ${BASH_REMATCH[2]}; do pairs+="$dep $folder"$'\n'; done
done <"$table"

status=0
if ! tsort <<<"$pairs" >/dev/null 2>&1; then
  echo "layering: $table has a loop:" >&2
  tsort <<<"$pairs" 2>&1 >/dev/null | head -4 | sed "s/^/  /" >&2 || true
  status=1
fi

# The folder a file belongs to: src/<folder>/..., apps/... and packages/... count as one each.
folder_of() {
  case $1 in
    src/*) local rest=${1#src/}; echo "${rest%%/*}" ;;
    apps/*) echo apps ;;
    packages/*) echo packages ;;
  esac
}

while IFS= read -r file; do
  folder=$(folder_of "$file")
  if [[ -z ${allowed[$folder]+set} ]]; then
    echo "layering: $file: folder '$folder' has no row in $table" >&2
    status=1
    continue
  fi
  while IFS=: read -r num target; do
    [[ $target == "$folder" || -z ${allowed[$target]+set} ]] && continue # own or not ours
    if [[ ${allowed[$folder]} != *" $target "* ]]; then
      echo "layering: $file:$num: $folder may not include $target/ (see $table)" >&2
      status=1
    fi
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][a-z0-9_]+/' "$file" |
    sed -E 's%^([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*["<]([a-z0-9_]+)/.*%\1:\2%')
done < <(find src apps packages -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' \) \
  2>/dev/null | sort)

exit $status
