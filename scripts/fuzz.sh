#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for
# SECONDS (default 30): the Exif reader and header checks, seeded with the
# JPEG test fixtures; the reader of other formats (engine/meta), seeded with
# its test files; the thumbnail library's decoders, seeded with small files
# of each format made here. Exits non-zero on a crash or sanitizer report.
# Usage: scripts/fuzz.sh [SECONDS] [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
out=${2:-build-fuzz}
mkdir -p "$out"

# build_and_run NAME SEED_FILES... -- SOURCES... -- LIBRARIES...
build_and_run() {
  local name=$1 bin="$out/$1" corpus="$out/$1_corpus" seeds=() sources=() libs=()
  shift
  while [ "$1" != "--" ]; do seeds+=("$1"); shift; done
  shift
  while [ "$1" != "--" ]; do sources+=("$1"); shift; done
  shift
  libs=("$@")
  local newest
  # sed reads the whole list: head would leave ls to die of SIGPIPE, which
  # pipefail makes the script's end.
  newest=$(ls -t "${sources[@]}" engine/*/*.h thumbkit/*.h fuzz/*.h | sed -n 1p)
  if [ ! -x "$bin" ] || [ "$newest" -nt "$bin" ]; then
    echo "building $bin"
    clang++ -std=c++20 -O1 -g -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
      "${sources[@]}" "${libs[@]}" -o "$bin"
  fi
  mkdir -p "$corpus"
  cp -n "${seeds[@]}" "$corpus/" 2>/dev/null || true
  LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp "$bin" -max_total_time="$seconds" -max_len=70000 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "$corpus" 2>&1 | tail -n 15
}

# Small pictures of every format the thumbnail library reads, made here.
seeds="$out/thumbkit_seeds"
if [ ! -d "$seeds" ]; then
  mkdir -p "$seeds"
  (cd "$seeds" &&
    convert -size 24x16 xc:'rgb(200,30,40)' -quality 90 s.jpg &&
    convert -size 24x16 xc:'rgba(0,0,255,0.5)' s.png &&
    convert s.jpg -depth 8 s.tif &&
    convert s.png -define tiff:tile-geometry=16x16 t.tif &&
    heif-enc -q 50 s.jpg -o s.heic >/dev/null &&
    heif-enc -A -q 50 s.jpg -o s.avif >/dev/null &&
    cwebp -quiet s.jpg -o s.webp && cwebp -quiet -lossless s.png -o a.webp &&
    cp s.tif r.tif && cp s.jpg r-thumb.jpg && exiv2 -it r.tif &&
    exiftool -q -overwrite_original -DNGVersion=1.4.0.0 r.tif && mv r.tif r.dng && rm r-thumb.jpg)
fi

# What every target's engine code stands on.
base=(engine/fs/*.cpp engine/names/folda_name.cpp engine/settings/profile.cpp engine/settings/settings_keys.cpp)
build_and_run exif_fuzz tests/data/jpeg/*.jpg -- fuzz/exif_fuzz.cpp engine/jpeg/exif_reader.cpp \
  engine/jpeg/header_check.cpp engine/jpeg/jpeg_decode.cpp engine/jpeg/ng_check.cpp \
  engine/jpeg/jpeg_session.cpp engine/marks/file_kind.cpp "${base[@]}" -- -ljpeg
# shellcheck disable=SC2046
build_and_run meta_fuzz tests/data/meta/*.{heic,cr2,nef,png,webp,mov,mp4} -- fuzz/meta_fuzz.cpp \
  engine/meta/*.cpp engine/jpeg/exif_reader.cpp engine/marks/file_kind.cpp \
  "${base[@]}" -- $(pkg-config --cflags --libs exiv2 libheif libavformat libavutil zlib)
# shellcheck disable=SC2046
build_and_run thumbkit_fuzz "$seeds"/* tests/data/jpeg/*.jpg -- fuzz/thumbkit_fuzz.cpp thumbkit/*.cpp \
  engine/jpeg/jpeg_decode.cpp engine/jpeg/jpeg_session.cpp engine/jpeg/exif_reader.cpp engine/meta/*.cpp \
  engine/marks/file_kind.cpp "${base[@]}" -- $(pkg-config --cflags --libs libwebp libtiff-4 libheif exiv2 libpng zlib libavformat libavutil) -ljpeg
