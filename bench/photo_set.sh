#!/usr/bin/env bash
# Precision and recall of the search for the same picture on a set made
# from real photographs: the wallpapers of Debian packages that are photos
# (plasma-workspace-wallpapers, mate-backgrounds). Each photograph gives a
# family of the same picture (f<N>_...): the original with Exif, stored
# turned with an Orientation tag, a messaging copy (smaller, quality 70, no
# Exif), HEIC and its JPEG export, WebP, a screenshot PNG, brighter, more
# contrast, sharpened, a watermark, crops keeping 95%, 92% and 90% of each
# side; and pictures that are not that picture (u<N>_..., each its own): a
# mirror, a greyscale copy, a 55% crop. A third of the photographs give no
# family but a pair of different pictures of one scene instead, neither the
# whole photograph: two windows shifted 8-15% of one another, two
# consecutive video frames (a pan of 2-3%), a stereo pair (3% apart, the near
# ground shifted more), or two other photos of the scene (70% windows 27%
# apart).
# Pairs count as in similar_set.sh. No photograph is stored in the
# repository: the packages are installed when missing (apt-get).
# Needs ImageMagick, libheif-examples (heif-enc, heif-convert), webp (cwebp),
# exiftool; findimagedupes when installed.
# Usage: bench/photo_set.sh [BUILD_DIR] [PHOTOS] [KEEP_DIR]
#   PHOTOS: how many photographs (at most those found; default all).
#   KEEP_DIR: make the set there and keep it (made only when empty).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
limit=${2:-1000}
search=$build/bin/bench_similar_search
need=()
for p in plasma-workspace-wallpapers mate-backgrounds; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
for tool in "$search" convert heif-enc heif-convert cwebp exiftool python3; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 2; }
done

# The photographs among the wallpapers (the others are drawings).
photos=()
for name in BytheWater ColdRipple ColorfulCups DarkestHour EveningGlow FallenLeaf Grey Kite OneStandsOut Path \
            summer_1am SafeLanding Shell Volna Honeywave Flow MilkyWay; do
  f=$(ls -S /usr/share/wallpapers/"$name"/contents/images/*.{jpg,png} 2>/dev/null | head -1 || true)
  [ -n "$f" ] && photos+=("$f")
done
for f in /usr/share/backgrounds/mate/nature/*.jpg; do [ -f "$f" ] && photos+=("$f"); done
photos=("${photos[@]:0:$limit}")
[ ${#photos[@]} -gt 0 ] || { echo "no photographs found" >&2; exit 2; }

work=$(mktemp -d /tmp/photo-set-XXXXXX)
trap 'rm -rf "$work"' EXIT
if [ -n "${3:-}" ]; then dir=$3; mkdir -p "$dir"; else dir=$work/set; mkdir "$dir"; fi

# A window w% x h% of the picture at x%, y% of its size.
window() {
  local in=$1 w=$2 h=$3 x=$4 y=$5 out=$6 W H
  read -r W H < <(identify -format '%w %h\n' "$in")
  convert "$in" -crop "$((W * w / 100))x$((H * h / 100))+$((W * x / 100))+$((H * y / 100))" +repage "${@:7}" "$out"
}

make_photo() {
  local n=$1 src=$2 d=$3 t W H
  t=$(mktemp -d "$work/p-XXXXXX")
  convert "$src" -resize '1400x1400>' -strip "$t/base.png"
  read -r W H < <(identify -format '%w %h\n' "$t/base.png")
  local b=$t/base.png s=$((n * 7919))
  if [ $((n % 3)) = 0 ]; then
    # Two pictures of one scene, neither the same picture as the other, one
    # kind a photograph (each is a window of it that others would lie in).
    case $(((n / 3) % 4)) in
      0) window "$b" 75 75 2 5 "$d/u${n}_winA.jpg" -quality 90
         window "$b" 75 75 $((10 + s % 8)) $((5 + s % 4)) "$d/u${n}_winB.jpg" -quality 90 ;;
      1) window "$b" 80 80 5 5 "$d/u${n}_frameA.jpg" -resize 1280x -quality 85
         window "$b" 80 80 $((7 + s % 2)) 6 "$d/u${n}_frameB.jpg" -resize 1280x -quality 85 ;;
      2) window "$b" 85 85 3 6 "$d/u${n}_stereoL.jpg" -quality 90
         window "$b" 85 85 6 6 "$d/u${n}_stereoR.jpg" -virtual-pixel edge -distort Affine '0,0 0,0  0,100 -4,100' \
                -quality 90 ;;
      3) window "$b" 70 70 0 10 "$d/u${n}_sceneA.jpg" -quality 90
         window "$b" 63 63 27 12 "$d/u${n}_sceneB.jpg" -resize "$((W * 70 / 100))x" -quality 90 ;;
    esac
    rm -rf "$t"
    return
  fi
  # The same picture.
  convert "$b" -quality 92 "$d/f${n}_orig.jpg"
  exiftool -q -overwrite_original -Make=Camera -Model=Cam1 -DateTimeOriginal='2021:06:0'$((n % 9 + 1))' 10:00:00' "$d/f${n}_orig.jpg"
  convert "$b" -rotate -90 -quality 92 "$d/f${n}_turned.jpg"
  exiftool -q -overwrite_original -n -Orientation=6 "$d/f${n}_turned.jpg"
  convert "$b" -resize 1280x1280 -quality 70 -sampling-factor 2x2 -strip "$d/f${n}_msg.jpg"
  heif-enc -q 50 -o "$d/f${n}_heic.heic" "$b" >/dev/null
  heif-convert -q 90 "$d/f${n}_heic.heic" "$t/export.jpg" >/dev/null && mv "$t/export.jpg" "$d/f${n}_heicexport.jpg"
  cwebp -quiet -q 75 "$b" -o "$d/f${n}_webp.webp"
  convert "$b" -resize 1366x "$d/f${n}_shot.png"
  convert "$b" -brightness-contrast 10x0 -quality 90 "$d/f${n}_bright.jpg"
  convert "$b" -brightness-contrast 0x15 -quality 90 "$d/f${n}_contrast.jpg"
  convert "$b" -unsharp 0x2+1.2+0 -quality 90 "$d/f${n}_sharp.jpg"
  convert "$b" -font DejaVu-Sans-Bold -pointsize $((H / 18)) -fill '#FFFFFFB0' -stroke '#00000060' -gravity southeast \
          -annotate +$((W / 40))+$((H / 40)) "(c) 2021 photographer" -quality 90 "$d/f${n}_wmark.jpg"
  window "$b" 95 95 $((s % 6)) $(((s / 7) % 6)) "$d/f${n}_crop95.jpg" -quality 90
  window "$b" 92 92 $((s % 9)) $(((s / 11) % 9)) "$d/f${n}_crop92.jpg" -quality 90
  window "$b" 90 90 $(((s / 3) % 11)) $(((s / 13) % 11)) "$d/f${n}_crop90.jpg" -quality 90
  # Not the same picture: a mirror, unless the photograph looks the same
  # mirrored (its grey 64 px thumbnail within 6% of its mirror's); a greyscale
  # copy, unless it has no colour to lose.
  convert "$b" -resize 64x -colorspace Gray "$t/g.png"
  convert "$t/g.png" -flop "$t/m.png"
  local mirrored saturation
  mirrored=$(compare -metric RMSE "$t/g.png" "$t/m.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/' || true)
  saturation=$(convert "$b" -resize 200x -colorspace HSL -channel G -separate +channel -format '%[fx:mean*100]' info:)
  if awk -v m="$mirrored" 'BEGIN { exit !(m >= 0.06) }'; then convert "$b" -flop -quality 92 "$d/u${n}_mirror.jpg"; fi
  if awk -v s="$saturation" 'BEGIN { exit !(s >= 2) }'; then convert "$b" -colorspace Gray -quality 92 "$d/u${n}_grey.jpg"; fi
  window "$b" 55 55 $((10 + s % 30)) $((10 + (s / 5) % 30)) "$d/u${n}_crop55.jpg" -quality 90
  rm -rf "$t"
}
export -f make_photo window
export work
if [ -z "$(ls -A "$dir")" ]; then
  for i in "${!photos[@]}"; do echo "$((i + 1)) ${photos[$i]}"; done |
    xargs -P 2 -L 1 bash -c 'make_photo "$0" "$1" '"$dir"
fi
echo "set: $(ls "$dir" | wc -l) files from ${#photos[@]} photographs in $dir" >&2

# shellcheck disable=SC2086
"$search" "$dir" ${SEARCH_ARGS:-} >"$work/ours.txt"
if command -v findimagedupes >/dev/null; then
  findimagedupes -t 90% -q "$dir" >"$work/theirs.txt" || true
else
  : >"$work/theirs.txt"
fi
python3 "$here/set_score.py" "$dir" "$work/ours.txt" "$work/theirs.txt"
