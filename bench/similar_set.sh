#!/usr/bin/env bash
# Precision and recall of the search for the same picture on a generated
# set, against findimagedupes: SEEDS plasma pictures, each saved again as
# its same-picture variants (resized to 160 px, JPEG quality 30, HEIC, PNG,
# WebP, TIFF, Exif changed, stored turned with an Orientation tag, 6%
# brighter, gamma 0.9, cropped to 92% x 92% and to 100% x 86%), and as
# pictures that are not the same (a crop keeping 60%, two overlapping photos
# of one larger scene, a darker version). Pairs count: two files found in
# one group, against two files of one family.
# Needs ImageMagick, libheif-examples (heif-enc), webp (cwebp), exiftool.
# Usage: bench/similar_set.sh [BUILD_DIR] [SEEDS] [KEEP_DIR]
#   KEEP_DIR: make the set there and keep it (for timing runs).
# Extra arguments for the search: SEARCH_ARGS='--radius 18' bench/similar_set.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
seeds=${2:-40}
search=$build/bin/bench_similar_search
for tool in "$search" convert heif-enc cwebp exiftool findimagedupes python3; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 2; }
done

if [ -n "${3:-}" ]; then
  dir=$3
  mkdir -p "$dir"
  work=$(mktemp -d /tmp/similar-set-XXXXXX)
else
  work=$(mktemp -d /tmp/similar-set-XXXXXX)
  dir=$work/set
  mkdir "$dir"
fi
trap 'rm -rf "$work"' EXIT

# f<seed>_<variant>: one family per seed; u<seed>_<case>: each its own.
make_seed() {
  local s=$1 d=$2 t
  t=$(mktemp -d "$work/seed-XXXXXX")
  convert -seed "$s" -size 800x600 plasma:fractal -blur 0x1 "$t/base.png"
  convert "$t/base.png" -quality 92 "$d/f${s}_orig.jpg"
  convert "$t/base.png" -resize 160x -quality 90 "$d/f${s}_small.jpg"
  convert "$t/base.png" -quality 30 "$d/f${s}_q30.jpg"
  heif-enc -q 60 -o "$d/f${s}_heic.heic" "$t/base.png" >/dev/null
  cp "$t/base.png" "$d/f${s}_png.png"
  cwebp -quiet -q 75 "$t/base.png" -o "$d/f${s}_webp.webp"
  convert "$t/base.png" "$d/f${s}_tiff.tif"
  cp "$d/f${s}_orig.jpg" "$d/f${s}_meta.jpg"
  exiftool -q -overwrite_original -Artist=someone -DateTimeOriginal='2020:02:03 04:05:06' "$d/f${s}_meta.jpg"
  convert "$t/base.png" -rotate -90 -quality 92 "$d/f${s}_turned.jpg"
  exiftool -q -overwrite_original -n -Orientation=6 "$d/f${s}_turned.jpg"
  convert "$t/base.png" -evaluate multiply 1.06 -quality 92 "$d/f${s}_bright.jpg"
  convert "$t/base.png" -gamma 0.9 -quality 92 "$d/f${s}_gamma.jpg"
  convert "$t/base.png" -crop 736x552+40+30 +repage -quality 92 "$d/f${s}_crop92.jpg"
  convert "$t/base.png" -crop 800x516+0+50 +repage -quality 92 "$d/f${s}_crop100x86.jpg"
  convert "$t/base.png" -crop 620x465+100+60 +repage -quality 92 "$d/u${s}_crop60.jpg"
  convert "$t/base.png" -evaluate multiply 0.45 -quality 92 "$d/u${s}_dark.jpg"
  convert -seed "$((s + 100000))" -size 1100x600 plasma:fractal -blur 0x1 "$t/scene.png"
  convert "$t/scene.png" -crop 800x600+0+0 +repage -quality 92 "$d/u${s}_sceneA.jpg"
  convert "$t/scene.png" -crop 800x600+300+0 +repage -quality 92 "$d/u${s}_sceneB.jpg"
  rm -rf "$t"
}
export -f make_seed
export work
if [ -z "$(ls -A "$dir")" ]; then
  seq 1 "$seeds" | xargs -P 2 -I{} bash -c 'make_seed {} '"$dir"
fi
echo "set: $(ls "$dir" | wc -l) files in $dir" >&2

# shellcheck disable=SC2086
"$search" "$dir" ${SEARCH_ARGS:-} >"$work/ours.txt"
findimagedupes -t 90% -q "$dir" >"$work/theirs.txt" || true

python3 "$here/set_score.py" "$dir" "$work/ours.txt" "$work/theirs.txt"
