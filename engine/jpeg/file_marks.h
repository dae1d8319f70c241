// What a file's first bytes say it is: the one list of marks the JPEG
// checks, engine/meta's DetectFormat and the thumbnail library's dispatch
// all read, so they never disagree on a format.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>
#include <utility>

namespace pictray::marks {

// `mark` at `at` of the `n` bytes read from the file's start.
inline bool At(const unsigned char* b, std::size_t n, std::string_view mark, std::size_t at = 0) {
  return n >= at + mark.size() && std::memcmp(b + at, mark.data(), mark.size()) == 0;
}

inline bool IsJpeg(const unsigned char* b, std::size_t n) { return At(b, n, "\xFF\xD8"); }
inline bool IsPng(const unsigned char* b, std::size_t n) { return At(b, n, "\x89PNG\r\n\x1A\n"); }
inline bool IsBmp(const unsigned char* b, std::size_t n) { return At(b, n, "BM"); }
inline bool IsWebp(const unsigned char* b, std::size_t n) { return At(b, n, "RIFF") && At(b, n, "WEBP", 8); }

// Plain TIFF and BigTIFF; also the raw files built on TIFF (CR2, NEF, ARW,
// DNG, PEF, SRW...), told apart only by their first directory.
inline bool IsTiff(const unsigned char* b, std::size_t n) {
  for (const std::string_view tiff : {std::string_view("II*\0", 4), std::string_view("MM\0*", 4),
                                      std::string_view("II+\0", 4), std::string_view("MM\0+", 4)})
    if (At(b, n, tiff)) return true;
  return false;
}

// BigTIFF alone: 64-bit offsets, which libexiv2 does not read.
inline bool IsBigTiff(const unsigned char* b, std::size_t n) {
  return At(b, n, std::string_view("II+\0", 4)) || At(b, n, std::string_view("MM\0+", 4));
}

// Raw files with signatures of their own: ORF, RW2, RAF, MRW, CRW.
inline bool IsMarkedRaw(const unsigned char* b, std::size_t n) {
  for (const std::string_view raw : {std::string_view("IIRO"), std::string_view("IIRS"), std::string_view("MMOR"),
                                     std::string_view("IIU\0", 4), std::string_view("FUJIFILMCCD-RAW"),
                                     std::string_view("\0MRM", 4), std::string_view("II\x1A\0\0\0HEAPCCDR", 14)})
    if (At(b, n, raw)) return true;
  return false;
}

// An ISO media file: "ftyp" as its first box.
inline bool IsIsoMedia(const unsigned char* b, std::size_t n) { return n >= 12 && At(b, n, "ftyp", 4); }

// What an "ftyp" brand names.
enum class Brand { Unknown, Heif, Cr3, JxlBox, Movie };

inline Brand BrandOf(std::string_view brand) {
  static constexpr std::pair<std::string_view, Brand> kBrands[] = {
      {"heic", Brand::Heif},  {"heix", Brand::Heif},  {"heim", Brand::Heif},  {"heis", Brand::Heif},
      {"hevc", Brand::Heif},  {"hevx", Brand::Heif},  {"avif", Brand::Heif},  {"avis", Brand::Heif},
      {"mif1", Brand::Heif},  {"msf1", Brand::Heif},  {"crx ", Brand::Cr3},   {"jxl ", Brand::JxlBox},
      {"qt  ", Brand::Movie}, {"isom", Brand::Movie}, {"iso2", Brand::Movie}, {"mp41", Brand::Movie},
      {"mp42", Brand::Movie}, {"M4V ", Brand::Movie}, {"M4VH", Brand::Movie}, {"M4VP", Brand::Movie},
      {"3gp4", Brand::Movie}, {"3gp5", Brand::Movie}, {"3gp6", Brand::Movie}, {"3g2a", Brand::Movie},
      {"avc1", Brand::Movie}};
  for (const auto& [name, kind] : kBrands)
    if (brand == name) return kind;
  return Brand::Unknown;
}

// What an ISO media file is by the brands of its "ftyp" box, the major one
// first, then the compatible ones, within the `n` bytes read.
inline Brand BrandOfFileType(const unsigned char* b, std::size_t n) {
  if (!IsIsoMedia(b, n)) return Brand::Unknown;
  const std::size_t boxSize = std::size_t(b[0]) << 24 | std::size_t(b[1]) << 16 | std::size_t(b[2]) << 8 | b[3];
  const std::size_t end = n < boxSize ? n : boxSize;
  for (std::size_t at = 8; at + 4 <= end; at += at == 8 ? 8 : 4)  // the minor version is no brand
    if (const Brand brand = BrandOf(std::string_view(reinterpret_cast<const char*>(b + at), 4)); brand != Brand::Unknown)
      return brand;
  return Brand::Unknown;
}

}  // namespace pictray::marks
