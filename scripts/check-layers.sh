#!/usr/bin/env bash
# Fails when an engine file includes a folder that is not below its own, or
# when the engine includes Qt or the front ends. The order (each folder and
# the folders it may use) is the one engine/CMakeLists.txt links.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A may_use=(
  [fs]=""
  [journal]="fs"
  [settings]="fs"
  [list]="fs"
  [run]="list"
  [names]="settings fs"
  [jpeg]="names settings fs"
  [meta]="jpeg names settings fs"
  [dupes]="journal list settings fs"
  [colour]="jpeg names settings fs"
  [runs]="run meta colour jpeg names dupes journal list settings fs"
)

status=0
for dir in engine/*/; do
  folder=$(basename "$dir")
  if [[ ! -v may_use[$folder] ]]; then
    echo "check-layers: engine/$folder has no place in the order; add it to this script and engine/CMakeLists.txt"
    status=1
    continue
  fi
  allowed=" $folder ${may_use[$folder]} "
  while IFS=: read -r file line text; do
    used=$(sed -E 's|.*#include "engine/([a-z_]+)/.*|\1|' <<<"$text")
    if [[ "$allowed" != *" $used "* ]]; then
      echo "check-layers: $file:$line includes engine/$used, which engine/$folder may not use"
      status=1
    fi
  done < <(grep -Hn '#include "engine/' "$dir"*.h "$dir"*.cpp 2>/dev/null || true)
  if grep -Hn -E '#include [<"](Q[A-Za-z]+|app/|cli/)' "$dir"*.h "$dir"*.cpp 2>/dev/null; then
    echo "check-layers: engine/$folder includes Qt or a front end"
    status=1
  fi
done
[ $status -eq 0 ] && echo "check-layers: the engine's includes follow the order"
exit $status
