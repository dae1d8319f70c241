#!/usr/bin/env bash
# Installs what is missing, builds, and opens Pictray on FOLDER, or on a
# fresh copy of the demo pictures (the shipped files are never moved).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" >/dev/null

if [ $# -ge 1 ]; then
  folder="$1"
else
  folder=$(mktemp -d "${TMPDIR:-/tmp}/pictray-demo-XXXXXX")
  cp -a assets/demo/. "$folder"/
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display to open a window on: use build/bin/pictray-cli \"$folder\" [STEP ...] instead."
  exit 1
fi
exec build/bin/Pictray "$folder"
