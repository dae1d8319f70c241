// Pictures as a camera or a phone writes them: Exif naming the camera and
// the date taken (in a JPEG's APP1 or a HEIF's Exif item), and the small
// movie a Live Photo keeps beside its still.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

#include "tests/engine/similar_test_util.h"

namespace pictray::testing {

// A little-endian TIFF block: IFD0 with Make and Model (when not empty)
// and a pointer to an Exif IFD holding DateTimeOriginal (when not empty).
inline std::string CameraTiff(const std::string& make, const std::string& model, const std::string& date) {
  struct Entry {
    unsigned tag;
    std::string text;  // ASCII, NUL added
  };
  std::vector<Entry> ifd0;
  if (!make.empty()) ifd0.push_back({0x010F, make});
  if (!model.empty()) ifd0.push_back({0x0110, model});
  const bool dated = !date.empty();
  std::string tiff("II*\0\x08\0\0\0", 8);
  const auto u16 = [](std::string& s, unsigned v) { s += char(v & 0xFF), s += char(v >> 8 & 0xFF); };
  const auto u32 = [&](std::string& s, std::uint32_t v) { u16(s, v & 0xFFFF), u16(s, v >> 16); };
  // Layout: IFD0 at 8, its values after it, then the Exif IFD and its value.
  const std::size_t count0 = ifd0.size() + (dated ? 1 : 0);
  std::size_t valueAt = 8 + 2 + 12 * count0 + 4;
  std::string values;
  u16(tiff, unsigned(count0));
  for (const Entry& e : ifd0) {
    const std::string v = e.text + '\0';
    u16(tiff, e.tag), u16(tiff, 2), u32(tiff, std::uint32_t(v.size()));
    if (v.size() <= 4) {
      tiff += v + std::string(4 - v.size(), '\0');
    } else {
      u32(tiff, std::uint32_t(valueAt + values.size()));
      values += v;
      if (values.size() % 2) values += '\0';
    }
  }
  const std::size_t exifAt = valueAt + values.size();
  if (dated) u16(tiff, 0x8769), u16(tiff, 4), u32(tiff, 1), u32(tiff, std::uint32_t(exifAt));
  u32(tiff, 0);
  tiff += values;
  if (dated) {
    u16(tiff, 1);
    u16(tiff, 0x9003), u16(tiff, 2), u32(tiff, 20), u32(tiff, std::uint32_t(exifAt + 2 + 12 + 4));
    u32(tiff, 0);
    tiff += date.substr(0, 19) + '\0';
  }
  return tiff;
}

// The JPEG at `path` with an APP1 Exif block of CameraTiff put first.
inline bool AddCameraExif(const std::string& path, const std::string& make, const std::string& model,
                          const std::string& date) {
  std::string file = ReadWhole(path);
  if (file.size() < 2) return false;
  const std::string body = std::string("Exif\0\0", 6) + CameraTiff(make, model, date);
  std::string app1 = "\xFF\xE1";
  app1 += char((body.size() + 2) >> 8), app1 += char((body.size() + 2) & 0xFF);
  file.insert(2, app1 + body);
  std::ofstream(path, std::ios::binary) << file;
  return true;
}

// A HEIF still with an Exif item of CameraTiff; false when libheif has no
// encoder.
inline bool WriteCameraHeif(const std::string& path, const Rgb8& p, const std::string& make,
                            const std::string& model, const std::string& date) {
  return WriteHeif(path, p, CameraTiff(make, model, date));
}

// A QuickTime movie's first boxes, as a Live Photo's video begins.
inline void WriteLivePhotoMovie(const std::string& path, const std::string& filler = "") {
  std::string mov("\0\0\0\x14" "ftypqt  \0\0\0\0qt  ", 20);
  mov += std::string("\0\0\0\x10" "wide", 8) + std::string(8, '\0');
  mov += std::string("\0\0\0\x10" "mdat", 8) + "movie da" + filler;
  std::ofstream(path, std::ios::binary) << mov;
}

}  // namespace pictray::testing
