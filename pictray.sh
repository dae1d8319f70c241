#!/usr/bin/env bash
# Installs what is missing, builds, and opens Pictray on FOLDER, or on a
# fresh copy of the demo pictures (the shipped files are never moved).
set -euo pipefail
# A folder given relative to where the script was called from.
if [ $# -ge 1 ]; then folder=$(realpath -m -- "$1"); fi
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# The programs only; ./test.sh builds the tests and benchmarks too.
cmake --build build -j"$(nproc)" --target programs

if [ $# -eq 0 ]; then
  folder=$(mktemp -d "${TMPDIR:-/tmp}/pictray-demo-XXXXXX")
  cp -a assets/demo/. "$folder"/
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display to open a window on: use build/bin/pictray-cli \"$folder\" [STEP ...] instead."
  exit 1
fi
exec build/bin/Pictray "$folder"
