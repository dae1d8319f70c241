#include "engine/marks/file_kind.h"

#include <cstring>

namespace pictray::marks {
namespace {

using namespace std::string_view_literals;

// `bytes` at `at` of a file's first bytes.
struct Piece {
  std::string_view bytes;
  std::size_t at = 0;
};

// A format's mark: its pieces all in place.
struct Mark {
  FileKind kind;
  Piece first;
  Piece then = {};
};

bool Holds(const unsigned char* head, std::size_t n, Piece p) {
  return n >= p.at + p.bytes.size() &&
         (p.bytes.empty() || std::memcmp(head + p.at, p.bytes.data(), p.bytes.size()) == 0);
}

// Tried in order, the first that holds naming the file: a CR2 is a TIFF
// whose header goes on, so it comes first. The boxes QuickTime wrote first
// before "ftyp" come last: other formats keep a size or an offset there.
constexpr Mark kMarks[] = {
    {FileKind::Crw, {"II"sv}, {"HEAPCCDR"sv, 6}},
    {FileKind::Crw, {"MM"sv}, {"HEAPCCDR"sv, 6}},
    {FileKind::Cr2, {"II*\0"sv}, {"CR\2\0"sv, 8}},
    {FileKind::Cr2, {"MM\0*"sv}, {"CR\2\0"sv, 8}},
    {FileKind::Tiff, {"II*\0"sv}},
    {FileKind::Tiff, {"MM\0*"sv}},
    {FileKind::BigTiff, {"II+\0"sv}},
    {FileKind::BigTiff, {"MM\0+"sv}},
    {FileKind::Orf, {"IIRO"sv}},
    {FileKind::Orf, {"IIRS"sv}},
    {FileKind::Orf, {"MMOR"sv}},
    {FileKind::Orf, {"MMSR"sv}},
    {FileKind::Rw2, {"IIU\0"sv}},
    {FileKind::Rw2, {"MM\0U"sv}},
    {FileKind::Raf, {"FUJIFILM"sv}},
    {FileKind::Mrw, {"\0MRM"sv}},
    {FileKind::Png, {"\x89PNG\r\n\x1A\n"sv}},
    {FileKind::WebP, {"RIFF"sv}, {"WEBP"sv, 8}},
    {FileKind::Bmp, {"BM"sv}},
    {FileKind::JxlBox, {"\0\0\0\x0CJXL \r\n\x87\n"sv}},
    {FileKind::Movie, {"moov"sv, 4}},
    {FileKind::Movie, {"mdat"sv, 4}},
    {FileKind::Movie, {"wide"sv, 4}},
    {FileKind::Movie, {"free"sv, 4}},
    {FileKind::Movie, {"skip"sv, 4}},
    {FileKind::Movie, {"pnot"sv, 4}},
};

// What an "ftyp" brand names; `libheif`: libheif reads a file that lists
// it among its compatible brands ("jpeg": a HEIF of JPEG-coded pictures,
// which names another brand for what it is).
struct Brand {
  std::string_view name;
  FileKind kind;
  bool libheif = false;
};

constexpr Brand kBrands[] = {
    {"heic", FileKind::Heif, true}, {"heix", FileKind::Heif, true}, {"heim", FileKind::Heif},
    {"heis", FileKind::Heif},       {"hevc", FileKind::Heif},       {"hevx", FileKind::Heif},
    {"avif", FileKind::Heif, true}, {"avis", FileKind::Heif},       {"mif1", FileKind::Heif, true},
    {"msf1", FileKind::Heif},       {"jpeg", FileKind::None, true}, {"crx ", FileKind::Cr3},
    {"jxl ", FileKind::JxlBox},     {"qt  ", FileKind::Movie},      {"isom", FileKind::Movie},
    {"iso2", FileKind::Movie},      {"iso4", FileKind::Movie},      {"iso5", FileKind::Movie},
    {"iso6", FileKind::Movie},      {"mp41", FileKind::Movie},      {"mp42", FileKind::Movie},
    {"M4V ", FileKind::Movie},      {"M4VH", FileKind::Movie},      {"M4VP", FileKind::Movie},
    {"3gp4", FileKind::Movie},      {"3gp5", FileKind::Movie},      {"3gp6", FileKind::Movie},
    {"3gp7", FileKind::Movie},      {"3g2a", FileKind::Movie},      {"3g2b", FileKind::Movie},
    {"avc1", FileKind::Movie},      {"MSNV", FileKind::Movie},      {"f4v ", FileKind::Movie}};

const Brand* BrandNamed(std::string_view name) {
  for (const Brand& brand : kBrands)
    if (brand.name == name) return &brand;
  return nullptr;
}

// An ISO media file by the brands of its "ftyp" box, the major one first,
// then the compatible ones, within the `n` bytes read.
FileKind KindOfBrands(const unsigned char* head, std::size_t n) {
  const std::size_t boxSize =
      std::size_t(head[0]) << 24 | std::size_t(head[1]) << 16 | std::size_t(head[2]) << 8 | head[3];
  const std::size_t end = n < boxSize ? n : boxSize;
  for (std::size_t at = 8; at + 4 <= end; at += at == 8 ? 8 : 4) {  // the minor version is no brand
    const Brand* brand = BrandNamed(std::string_view(reinterpret_cast<const char*>(head + at), 4));
    if (brand && brand->kind != FileKind::None) return brand->kind;
  }
  return FileKind::None;
}

}  // namespace

FileKind KindOfHead(const unsigned char* head, std::size_t n) {
  if (Holds(head, n, {"\xFF\xD8"sv})) return FileKind::Jpeg;
  if (n >= 12 && Holds(head, n, {"ftyp"sv, 4})) return KindOfBrands(head, n);
  for (const Mark& mark : kMarks)
    if (Holds(head, n, mark.first) && Holds(head, n, mark.then)) return mark.kind;
  return FileKind::None;
}

FileKind KindOfFile(const fs::ReadOnlyFile& file) {
  unsigned char head[kHeadBytes];
  return KindOfHead(head, file.ReadAt(0, head, sizeof head));
}

bool LibheifTakesBrand(std::string_view brand) {
  const Brand* b = BrandNamed(brand);
  return b && b->libheif;
}

}  // namespace pictray::marks
