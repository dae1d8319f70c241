#!/usr/bin/env bash
# Builds the engine tests with ThreadSanitizer and runs the tests of the runs
# (list-up, move, analyses, the threaded search for copies and the
# concurrency tests).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPICTRAY_TSAN=ON -DPICTRAY_WITH_APP=OFF >/dev/null
cmake --build build-tsan -j"$(nproc)" --target engine_tests
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 build-tsan/bin/engine_tests \
  --gtest_filter='RunConcurrency*:Listup*:Move*:*Run*:Dupes*' --gtest_brief=1
