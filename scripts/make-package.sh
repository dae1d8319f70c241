#!/usr/bin/env bash
# Builds the Debian package pictray_VERSION_amd64.deb into the top folder,
# from a fresh Release build in build-package (nothing of an earlier build
# can slip into the package). Install it with `sudo apt install ./pictray_*.deb`.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

build=build-package
rm -rf "$build"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target programs
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(cd "$build" && ls pictray_*_amd64.deb)
mv "$build/$deb" .
echo "$PWD/$deb"
