#!/usr/bin/env bash
# Builds the libFuzzer targets of the Exif reader and header checks and of
# the reader of other formats with clang (ASan + UBSan) and runs each for
# SECONDS (default 30), seeded with the test fixtures. Exits non-zero on a
# crash or sanitizer report.
# Usage: scripts/fuzz.sh [SECONDS] [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
out=${2:-build-fuzz}
mkdir -p "$out"
bin="$out/exif_fuzz"
sources=(fuzz/exif_fuzz.cpp engine/jpeg/exif_reader.cpp engine/jpeg/header_check.cpp
         engine/jpeg/file_bytes.cpp engine/jpeg/jpeg_decode.cpp engine/jpeg/ng_check.cpp
         engine/names/folda_name.cpp engine/settings/profile.cpp engine/settings/settings_keys.cpp
         engine/fs/atomic_write.cpp engine/jpeg/jpeg_session.cpp)
newest=$(ls -t "${sources[@]}" engine/jpeg/*.h | head -1)
if [ ! -x "$bin" ] || [ "$newest" -nt "$bin" ]; then
  echo "building $bin"
  clang++ -std=c++20 -O1 -g -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    "${sources[@]}" -ljpeg -o "$bin"
fi
corpus="$out/exif_corpus"
mkdir -p "$corpus"
cp -n tests/data/jpeg/*.jpg "$corpus/" 2>/dev/null || true
"$bin" -max_total_time="$seconds" -max_len=70000 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$corpus" 2>&1 | tail -n 15

meta_bin="$out/meta_fuzz"
meta_sources=(fuzz/meta_fuzz.cpp engine/meta/media_info.cpp engine/meta/media_label.cpp
              engine/jpeg/exif_reader.cpp engine/jpeg/file_bytes.cpp engine/names/folda_name.cpp
              engine/settings/profile.cpp engine/settings/settings_keys.cpp engine/fs/atomic_write.cpp)
newest=$(ls -t "${meta_sources[@]}" engine/meta/*.h | head -1)
if [ ! -x "$meta_bin" ] || [ "$newest" -nt "$meta_bin" ]; then
  echo "building $meta_bin"
  # shellcheck disable=SC2046
  clang++ -std=c++20 -O1 -g -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    $(pkg-config --cflags exiv2 libheif libavformat) "${meta_sources[@]}" \
    $(pkg-config --libs exiv2 libheif libavformat libavutil) -o "$meta_bin"
fi
meta_corpus="$out/meta_corpus"
mkdir -p "$meta_corpus"
cp -n tests/data/meta/*.{heic,cr2,nef,png,webp,mov,mp4} "$meta_corpus/" 2>/dev/null || true
"$meta_bin" -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$meta_corpus" 2>&1 | tail -n 15
