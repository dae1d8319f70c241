#include "engine/meta/png_chunks.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace pictray::meta {
namespace {

constexpr std::uint32_t kMaxChunks = 1 << 18;  // a PNG written a row per chunk
constexpr std::uint32_t kMaxExifChunk = 8 << 20;  // hex text is twice its block
constexpr std::size_t kMaxExif = 4 << 20;

std::uint32_t BigEndian32(const unsigned char* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

std::string WithoutExifStart(std::string block) {
  static const std::string_view kStart("Exif\0\0", 6);
  if (std::string_view(block).substr(0, 6) == kStart) block.erase(0, 6);
  return block;
}

std::optional<std::string> Inflated(std::string_view deflated) {
  std::string out;
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return std::nullopt;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
  z.avail_in = static_cast<uInt>(deflated.size());
  int rc = Z_OK;
  char buffer[16384];
  while (rc == Z_OK && out.size() <= 2 * kMaxExif) {
    z.next_out = reinterpret_cast<Bytef*>(buffer);
    z.avail_out = sizeof buffer;
    rc = inflate(&z, Z_NO_FLUSH);
    out.append(buffer, sizeof buffer - z.avail_out);
  }
  inflateEnd(&z);
  if (rc != Z_STREAM_END) return std::nullopt;
  return out;
}

// "\nexif\n   LENGTH\n" and LENGTH bytes in hex, lines broken anywhere.
std::optional<std::string> FromProfile(std::string_view text) {
  std::size_t at = text.find_first_not_of('\n');
  at = text.find('\n', at);
  if (at == std::string_view::npos) return std::nullopt;
  const std::size_t digits = text.find_first_not_of(" \t", at + 1);
  if (digits == std::string_view::npos) return std::nullopt;
  std::size_t length = 0;
  for (at = digits; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
    length = length * 10 + static_cast<std::size_t>(text[at] - '0');
    if (length > kMaxExif) return std::nullopt;
  }
  std::string out;
  int high = -1;
  for (; at < text.size() && out.size() < length; ++at) {
    const int c = static_cast<unsigned char>(text[at]);
    if (std::isspace(c)) continue;
    if (!std::isxdigit(c)) return std::nullopt;
    const int v = std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10;
    if (high < 0) {
      high = v;
    } else {
      out += static_cast<char>(high << 4 | v);
      high = -1;
    }
  }
  if (out.size() != length) return std::nullopt;
  return WithoutExifStart(std::move(out));
}

// The text of a tEXt, zTXt or iTXt chunk after its keyword.
std::optional<std::string> ProfileText(const std::string& type, std::string_view body) {
  const std::size_t end = body.find('\0');
  if (end == std::string_view::npos) return std::nullopt;
  body.remove_prefix(end + 1);
  if (type == "tEXt") return std::string(body);
  if (type == "zTXt") return body.empty() ? std::nullopt : Inflated(body.substr(1));
  if (body.size() < 2) return std::nullopt;  // iTXt: flag, method, language, translated keyword
  const bool compressed = body[0] != 0;
  std::size_t at = 2;
  for (int skip = 0; skip < 2; ++skip) {
    at = body.find('\0', at);
    if (at == std::string_view::npos) return std::nullopt;
    ++at;
  }
  return compressed ? Inflated(body.substr(at)) : std::optional<std::string>(std::string(body.substr(at)));
}

// The Exif block of a chunk, when it holds one.
std::optional<std::string> ExifOfChunk(const std::string& type, const std::string& body) {
  if (type == "eXIf") return WithoutExifStart(body);
  const std::optional<std::string> text = ProfileText(type, body);
  if (!text) return std::nullopt;
  return FromProfile(*text);
}

// An "eXIf" chunk, or a text chunk whose keyword names an Exif profile
// (read before the text, which may be long).
bool MayHoldExif(const fs::ReadOnlyFile& file, std::uint64_t body, const std::string& type, std::uint32_t length) {
  if (type == "eXIf") return true;
  if (type != "tEXt" && type != "zTXt" && type != "iTXt") return false;
  static constexpr std::size_t kKeyword = 22;  // either keyword and its 00 byte
  char keyword[kKeyword];
  if (length < kKeyword || file.ReadAt(body, keyword, kKeyword) != kKeyword) return false;
  const std::string_view k(keyword, kKeyword);
  return k == std::string_view("Raw profile type exif\0", kKeyword) ||
         k == std::string_view("Raw profile type APP1\0", kKeyword);
}

}  // namespace

std::optional<PngMeta> ReadPngMeta(const fs::ReadOnlyFile& file) {
  PngMeta out;
  const std::uint64_t size = file.size();
  std::uint64_t at = 8;
  for (std::uint32_t n = 0; n < kMaxChunks && at <= size && size - at >= 12; ++n) {
    unsigned char h[8];
    if (file.ReadAt(at, h, sizeof h) != sizeof h) return std::nullopt;
    const std::uint32_t length = BigEndian32(h);
    const std::string type(reinterpret_cast<const char*>(h + 4), 4);
    const bool letters = std::all_of(type.begin(), type.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
    if (length > 0x7FFFFFFF || length > size - at - 12 || !letters) return std::nullopt;
    if (n == 0) {
      unsigned char ihdr[8];
      if (type != "IHDR" || length < 8 || file.ReadAt(at + 8, ihdr, 8) != 8) return std::nullopt;
      out.width = BigEndian32(ihdr);
      out.height = BigEndian32(ihdr + 4);
    }
    if (type == "IEND") return out;
    if (!out.exif && length <= kMaxExifChunk && MayHoldExif(file, at + 8, type, length)) {
      std::string body(length, '\0');
      if (file.ReadAt(at + 8, body.data(), length) != length) return std::nullopt;
      out.exif = ExifOfChunk(type, body);
    }
    at += 12 + std::uint64_t(length);
  }
  return std::nullopt;
}

}  // namespace pictray::meta
