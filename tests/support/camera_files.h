// Files of the camera formats as the cameras lay them out, written in
// memory by the tests: TIFF-structured RAWs, CR3, RW2, RAF, CRW, and PNG
// with an Exif block.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/support/hostile_files.h"
#include "tests/support/temp_dir.h"

namespace pictray::testing {

// Where a generated TIFF's picture data starts: its directories come first,
// as a camera writes them, so a cut loses the data and keeps the values.
constexpr std::uint32_t kDataStart = 4096;

// A TIFF-structured file written in memory, its directories in the order
// they are made, each after the ones it points at.
class TiffFile {
 public:
  struct Field {
    std::uint16_t tag, type;
    std::uint32_t count;
    std::string value;  // in the file's byte order
  };

  // `mark`: the first four bytes ("II*\0", "MM\0*", "IIRO", "IIU\0", ...),
  // `rest`: what a format puts after the first directory's offset.
  explicit TiffFile(const char* mark, const std::string& rest = "")
      : little_(mark[0] == 'I'), bytes_(std::string(mark, 4) + std::string(4, '\0') + rest) {}

  Field Ascii(std::uint16_t tag, const std::string& text) const { return {tag, 2, std::uint32_t(text.size() + 1), text + '\0'}; }
  Field Longs(std::uint16_t tag, const std::vector<std::uint32_t>& values) const { return Numbers(tag, 4, 4, values); }
  Field Shorts(std::uint16_t tag, const std::vector<std::uint32_t>& values) const { return Numbers(tag, 3, 2, values); }
  // Numerator and denominator pairs.
  Field Rationals(std::uint16_t tag, const std::vector<std::uint32_t>& values) const {
    Field f = Numbers(tag, 5, 4, values);
    f.count /= 2;
    return f;
  }

  // A directory of `fields` whose next one is at `next`; its offset.
  std::uint32_t Directory(std::vector<Field> fields, std::uint32_t next = 0) {
    std::sort(fields.begin(), fields.end(), [](const Field& a, const Field& b) { return a.tag < b.tag; });
    const auto at = static_cast<std::uint32_t>(bytes_.size());
    std::uint32_t outside = at + 2 + 12 * std::uint32_t(fields.size()) + 4;
    std::string tail;
    Put(bytes_, fields.size(), 2);
    for (const Field& f : fields) {
      Put(bytes_, f.tag, 2);
      Put(bytes_, f.type, 2);
      Put(bytes_, f.count, 4);
      if (f.value.size() <= 4) {
        bytes_ += f.value + std::string(4 - f.value.size(), '\0');
      } else {
        Put(bytes_, outside + tail.size(), 4);
        tail += f.value;
      }
    }
    Put(bytes_, next, 4);
    bytes_ += tail;
    return at;
  }

  // The structure alone, its first directory at `first`: an Exif block.
  std::string Block(std::uint32_t first) const {
    std::string out = bytes_;
    std::string offset;
    Put(offset, first, 4);
    out.replace(4, 4, offset);
    return out;
  }

  // The file: its first directory at `first`, `data` from kDataStart.
  std::string Finish(std::uint32_t first, const std::string& data) const {
    std::string out = Block(first);
    out.resize(kDataStart, '\0');
    return out + data;
  }

 private:
  Field Numbers(std::uint16_t tag, std::uint16_t type, int width, const std::vector<std::uint32_t>& values) const {
    Field f{tag, type, std::uint32_t(values.size()), {}};
    for (const std::uint32_t v : values) Put(f.value, v, width);
    return f;
  }
  void Put(std::string& s, std::uint64_t v, int bytes) const {
    if (little_)
      PutLittle(s, v, bytes);
    else
      PutBig(s, v, bytes);
  }

  bool little_;
  std::string bytes_;
};

// A camera's RAW as the TIFF-based formats lay it out: IFD0 with the
// values and a preview strip, the Exif directory, the sensor data in a
// sub-directory, a thumbnail in IFD1.
inline std::string CameraRaw(const char* mark, const std::string& rest = "") {
  TiffFile t(mark, rest);
  const std::uint32_t preview = kDataStart, thumb = kDataStart + 600, sensor = kDataStart + 800;
  const std::uint32_t exif = t.Directory({t.Ascii(0x9003, "2023:01:02 03:04:05")});
  const std::uint32_t sub = t.Directory({t.Longs(0x100, {64}), t.Longs(0x101, {48}), t.Longs(0x111, {sensor}),
                                         t.Longs(0x117, {6144})});
  const std::uint32_t ifd1 = t.Directory({t.Longs(0x201, {thumb}), t.Longs(0x202, {200})});
  const std::uint32_t ifd0 = t.Directory({t.Shorts(0x100, {64}), t.Shorts(0x101, {48}), t.Ascii(0x110, "Cam X"),
                                          t.Longs(0x111, {preview}), t.Longs(0x117, {600}),
                                          t.Ascii(0x132, "2024:05:06 07:08:09"), t.Longs(0x14A, {sub}),
                                          t.Longs(0x8769, {exif})},
                                         ifd1);
  return t.Finish(ifd0, std::string(800 + 6144, '\x5A'));
}

// A CR2: a camera's RAW whose header goes on with "CR", its version and
// the raw directory's offset.
inline std::string CameraCr2() { return CameraRaw("II*\0", std::string("CR\2\0\0\0\0\0", 8)); }

// A CR3 as a camera lays it out: the maker's box first in "moov", its
// IFD0 and Exif directory TIFF structures of their own, then the tracks.
inline std::string CameraCr3(const char* mark) {
  TiffFile ifd0(mark), exif(mark);
  const std::uint32_t first = ifd0.Directory({ifd0.Longs(0x100, {6000}), ifd0.Longs(0x101, {4000}),
                                              ifd0.Ascii(0x110, "Canon EOS R6"), ifd0.Ascii(0x131, "Firmware 1.2"),
                                              ifd0.Ascii(0x132, "2024:05:06 07:08:09")});
  const std::uint32_t dir = exif.Directory({exif.Ascii(0x9003, "2023:01:02 03:04:05")});
  std::string cmt1 = ifd0.Finish(first, ""), cmt2 = exif.Finish(dir, "");
  const std::string uuid("\x85\xC0\xB6\x87\x82\x0F\x11\xE0\x81\x11\xF4\xCE\x46\x2B\x6A\x48", 16);
  const std::string maker = Box("CNCV", "CanonCR3_001/00.09.00/00.00.00") + Box("CCTP", std::string(12, '\0')) +
                            Box("CMT1", cmt1) + Box("CMT2", cmt2) + Box("THMB", std::string(200, '\0'));
  return Cr3Start() + Box("moov", Box("uuid", uuid + maker) + Box("trak", std::string(90, '\0'))) +
         Box("mdat", std::string(3000, '\0'));
}

// An Exif block's TIFF structure: IFD0 with a model and a date.
inline std::string ExifTiff(const char* mark) {
  TiffFile t(mark);
  return t.Finish(t.Directory({t.Ascii(0x110, "Pixel 9"), t.Ascii(0x132, "2024:05:06 07:08:09")}), "");
}

// A 1 x 1 PNG with `chunk` before its data.
inline std::string PngWith(const std::string& chunk) {
  return PngStart() + chunk + PngChunk("IDAT", std::string("\x78\x9C\x63\x60\x00\x00\x00\x02\x00\x01", 10)) +
         PngChunk("IEND", "");
}

// A text chunk's "Raw profile type exif": the block in hex, 72 digits a line.
inline std::string ExifProfile(const std::string& block) {
  std::string text = "\nexif\n" + std::string(8 - std::to_string(block.size()).size(), ' ') + std::to_string(block.size());
  static const char kHex[] = "0123456789abcdef";
  for (std::size_t i = 0; i < block.size(); ++i) {
    if (i % 36 == 0) text += '\n';
    text += kHex[static_cast<unsigned char>(block[i]) >> 4];
    text += kHex[static_cast<unsigned char>(block[i]) & 15];
  }
  return "Raw profile type exif" + std::string(1, '\0') + text + '\n';
}

// An RW2: the sensor 3724 x 2754, the image within its borders 3648 x 2736.
inline std::string CameraRw2() {
  TiffFile t("IIU\0");
  const std::uint32_t ifd0 = t.Directory({t.Shorts(2, {3724}), t.Shorts(3, {2754}), t.Shorts(4, {8}), t.Shorts(5, {36}),
                                          t.Shorts(6, {2744}), t.Shorts(7, {3684}), t.Ascii(0x110, "DMC-GH4"),
                                          t.Longs(0x111, {kDataStart}), t.Longs(0x117, {2000})});
  return t.Finish(ifd0, std::string(2000, '\0'));
}

// A RAF: its header, a preview JPEG (64 x 48) whose Exif libexiv2 reads,
// the sensor data's header giving the full size 4288 x 1432 and the
// cropped one 4256 x 1424, then the sensor data.
inline std::string CameraRaf() {
  const std::string preview = ReadWhole(std::string(PICTRAY_TEST_DATA) + "/jpeg/cam_fuji_II_A.jpg");
  std::string directory;
  PutBig(directory, 2, 4);
  for (const auto& [tag, height, width] : {std::tuple(0x100, 1432, 4288), std::tuple(0x111, 1424, 4256)}) {
    PutBig(directory, tag, 2);
    PutBig(directory, 4, 2);
    PutBig(directory, height, 2);
    PutBig(directory, width, 2);
  }
  std::string f = "FUJIFILMCCD-RAW 0201FF383501" + std::string(32 + 4 + 20, '\0');
  const std::uint64_t start = 160;
  for (const auto& [offset, length] : {std::pair(start, preview.size()), std::pair(start + preview.size(), directory.size()),
                                       std::pair(start + preview.size() + directory.size(), std::size_t(1000))}) {
    PutBig(f, offset, 4);
    PutBig(f, length, 4);
  }
  f.resize(start, '\0');
  return f + preview + directory + std::string(1000, '\0');
}

// A CIFF heap of `entries` (tag, value), each value in the heap.
inline std::string CiffHeap(bool little, const std::vector<std::pair<std::uint16_t, std::string>>& entries) {
  const auto put = [little](std::string& s, std::uint64_t v, int n) {
    little ? PutLittle(s, v, n) : PutBig(s, v, n);
  };
  std::string data, directory;
  put(directory, entries.size(), 2);
  for (const auto& [tag, value] : entries) {
    put(directory, tag, 2);
    put(directory, value.size(), 4);
    put(directory, data.size(), 4);
    data += value;
  }
  const std::size_t at = data.size();
  put(directory, at, 4);
  return data + directory;
}

// A CRW taken 2003-11-10 17:39:26 by the camera's clock (seconds since
// 1970 as if in UTC), by a camera named in its own heap.
inline std::string CameraCrw(bool little) {
  std::string when;
  little ? PutLittle(when, 1068485966, 4) : PutBig(when, 1068485966, 4);
  when += std::string(8, '\0');  // the zone and its flags: none
  const std::string camera = CiffHeap(little, {{0x080A, std::string("Canon\0Canon PowerShot S50\0", 27)}});
  const std::string props = CiffHeap(little, {{0x180E, when}, {0x2807, camera}});
  std::string f = little ? "II" : "MM";
  little ? PutLittle(f, 26, 4) : PutBig(f, 26, 4);
  f += "HEAPCCDR";
  f += little ? std::string("\x02\0\x01\0", 4) : std::string("\0\x01\0\x02", 4);
  return f + std::string(8, '\0') + CiffHeap(little, {{0x300A, props}});
}

// An MRW: its blocks after the header, the last one a TIFF structure.
inline std::string CameraMrw() {
  const std::string tiff = ExifTiff("MM\0*");
  std::string ttw = std::string("\0TTW", 4);
  PutBig(ttw, tiff.size(), 4);
  std::string f = std::string("\0MRM", 4);
  PutBig(f, ttw.size() + tiff.size(), 4);
  return f + ttw + tiff;
}

}  // namespace pictray::testing
