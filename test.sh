#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: a normal build, an
# ASan+UBSan build of the tests, a ThreadSanitizer build of the run tests,
# a bounded fuzzing pass, and the Debian package. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== desktop entries and AppStream metadata"
desktop-file-validate desktop/*.desktop
appstreamcli validate --no-net desktop/*.metainfo.xml
echo "== build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
echo "== engine layering (on the includes the compiler saw)"
scripts/check-layers.sh build
echo "== tests"
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 300

echo "== ASan+UBSan build of the tests"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPICTRAY_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 600

if [ -x scripts/tsan.sh ]; then
  echo "== ThreadSanitizer run of the run tests"
  scripts/tsan.sh
fi
if [ -x scripts/fuzz.sh ]; then
  echo "== bounded fuzzing"
  scripts/fuzz.sh 30
fi
echo "== Debian package (from the normal build)"
rm -f build/pictray_*.deb
(cd build && cpack -G DEB >/dev/null)
tests/package_test.sh build/pictray_*_amd64.deb
echo "All test stages passed."
