#!/usr/bin/env bash
# Makes the small pictures and videos of other formats the metadata tests
# read (needs ImageMagick, heif-enc, cwebp, ffmpeg, exiftool, tiffcp, python3). The files are
# committed; run again only to change them.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tag() { exiftool -q -q -m -overwrite_original "$@"; }

convert -size 40x30 xc:'#336699' "$work/base.png"
convert "$work/base.png" -quality 90 "$work/base.jpg"

# HEIC with every value, one without Exif, one whose Exif lacks the dates.
heif-enc -q 50 -o heic_full.heic "$work/base.jpg" >/dev/null
tag -ModifyDate='2024:05:06 07:08:09' -DateTimeOriginal='2023:01:02 03:04:05' -Model='Pixel 9' \
    -Software='Cam 1.0' heic_full.heic
heif-enc -q 50 -o heic_noexif.heic "$work/base.jpg" >/dev/null
cp heic_noexif.heic heic_nodate.heic
tag -Model='Pixel 9' heic_nodate.heic

# TIFF-based RAW stand-ins in both byte orders.
convert "$work/base.png" -define tiff:endian=lsb -compress zip "TIFF:raw_ii.cr2"
convert "$work/base.png" -define tiff:endian=msb -compress zip "TIFF:raw_mm.nef"
tag -Make=Canon -Model='Canon EOS R5' -ModifyDate='2024:05:06 07:08:09' \
    -DateTimeOriginal='2023:01:02 03:04:05' raw_ii.cr2
tag -Make=Nikon -Model='NIKON Z 8' -ModifyDate='2024:05:06 07:08:09' raw_mm.nef

# BigTIFF in both byte orders (tiffcp keeps IFD0's tags, not the Exif
# directory), and one cut inside its directory.
convert "$work/base.png" -define tiff:endian=lsb -compress zip "TIFF:$work/classic.tif"
tag -Model='Big Cam' -Software='Scan 2' -ModifyDate='2023:06:14 10:11:12' "$work/classic.tif"
tiffcp -8 "$work/classic.tif" big_ii.tif
tiffcp -8 -B "$work/classic.tif" big_mm.tif
head -c 500 big_ii.tif > big_cut.tif
# A BigTIFF whose Exif directory holds the date taken, written byte by byte
# (no tool here writes an Exif directory into a BigTIFF): 4 x 2 grey pixels.
python3 - <<'PY'
import struct
def entry(tag, typ, count, value):
    return struct.pack('<HHQQ', tag, typ, count, value)
def text(s):
    return s.encode() + b'\0'
model, software, modified, taken = text('Big Cam'), text('Scan 2'), text('2023:06:14 10:11:12'), text('2022:05:06 07:08:09')
n0, n1 = 13, 1
ifd0 = 16
ifd0_end = ifd0 + 8 + 20 * n0 + 8
exif = ifd0_end
exif_end = exif + 8 + 20 * n1 + 8
at = exif_end
values = {}
for name, b in (('model', model), ('software', software), ('modified', modified), ('taken', taken), ('pixels', bytes(range(0, 256, 32)))):
    values[name] = at
    at += len(b)
def inline(b):  # up to 8 bytes stand in the entry
    return int.from_bytes(b.ljust(8, b'\0'), 'little')
e0 = [entry(256, 3, 1, 4), entry(257, 3, 1, 2), entry(258, 3, 1, 8), entry(259, 3, 1, 1), entry(262, 3, 1, 1),
      entry(272, 2, len(model), inline(model) if len(model) <= 8 else values['model']),
      entry(273, 16, 1, values['pixels']), entry(277, 3, 1, 1), entry(278, 3, 1, 2), entry(279, 16, 1, 8),
      entry(305, 2, len(software), inline(software) if len(software) <= 8 else values['software']),
      entry(306, 2, len(modified), values['modified']), entry(34665, 18, 1, exif)]
assert len(e0) == n0
out = b'II' + struct.pack('<HHHQ', 43, 8, 0, ifd0)
out += struct.pack('<Q', n0) + b''.join(e0) + struct.pack('<Q', 0)
out += struct.pack('<Q', n1) + entry(36867, 2, len(taken), values['taken']) + struct.pack('<Q', 0)
out += model + software + modified + taken + bytes(range(0, 256, 32))
open('big_exif.tif', 'wb').write(out)
PY

# PNG with an eXIf chunk; WebP with Exif.
cp "$work/base.png" png_exif.png
tag -DateTimeOriginal='2023:01:02 03:04:05' png_exif.png
cwebp -quiet "$work/base.png" -o webp_exif.webp
tag -DateTimeOriginal='2023:01:02 03:04:05' -Model='Web Cam' webp_exif.webp

# Videos: one with the maker's creation date (with its offset), one with
# only the movie header's UTC time at 23:30, near midnight.
ffmpeg -loglevel error -y -f lavfi -i testsrc=size=64x48:rate=1 -t 1 -pix_fmt yuv420p \
       -metadata creation_time=2024-01-02T23:30:00Z mov_utc.mp4
ffmpeg -loglevel error -y -f lavfi -i testsrc=size=64x48:rate=1 -t 1 -pix_fmt yuv420p \
       -metadata creation_time=2024-01-02T23:30:00Z "$work/keys.mov"
cp "$work/keys.mov" mov_keys.mov
tag '-Keys:CreationDate=2023:01:02 03:04:05+09:00' '-Keys:Model=iPhone 15' mov_keys.mov

# Hostile: the movie's "keys" box claims 251,658,240 keys in 89 bytes (the
# library would allocate 2 GB for them); a seed of the metadata fuzzer.
cp mov_keys.mov keys_claim.mov
printf '\x0f\x00\x00\x00' | dd of=keys_claim.mov bs=1 seek=821 conv=notrunc 2>/dev/null

# Damaged: a HEIC cut short, a text file with a picture's extension.
head -c 300 heic_full.heic > cut.heic
printf 'not a picture\n' > text.cr2
rm -f ./*_original
