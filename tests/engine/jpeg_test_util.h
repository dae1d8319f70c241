// Helpers of the JPEG tests: fixture paths and files built byte by byte.
#pragma once

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace pictray::testing {

inline std::string JpegFixture(const std::string& name) {
  return std::string(PICTRAY_TEST_DATA) + "/jpeg/" + name;
}

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::vector<unsigned char> FileBytes(const std::string& path) {
  const std::string s = ReadAll(path);
  return {s.begin(), s.end()};
}

// A progressive file whose last scan of component `id` alone is repeated
// until the file has `scans` scans; the decoder only warns about such a
// progression.
inline std::string WithScans(const std::string& jpeg, int scans, char id) {
  int have = 0;
  std::size_t last = 0;
  for (std::size_t at = jpeg.find("\xFF\xDA"); at != std::string::npos; at = jpeg.find("\xFF\xDA", at + 2), ++have)
    if (jpeg[at + 4] == 1 && jpeg[at + 5] == id) last = at;
  const std::size_t next = jpeg.find("\xFF\xDA", last + 2), end = jpeg.rfind("\xFF\xD9");
  const std::string scan = jpeg.substr(last, std::min(next, end) - last);
  std::string out = jpeg.substr(0, end);
  for (int i = have; i < scans; ++i) out += scan;
  return out + "\xFF\xD9";
}

// One IFD0 entry: tag, type, count and either a value stored after the
// directory (its offset goes into the entry) or, with `inlineField`, the
// four raw bytes of the value field.
struct IfdEntry {
  unsigned tag = 0;
  unsigned type = 2;
  std::uint32_t count = 0;
  std::string value;
  bool inlineField = false;
};

// Builds a JPEG head with an Exif APP1 in layout A (after the start of
// image), B (after a 16-byte JFIF APP0) or C (after a 24-byte JFIF APP0),
// a TIFF header in the given byte order, IFD0 and the values, followed by
// `tail` bytes of padding and FF D9.
class ExifBuilder {
 public:
  ExifBuilder(char layout, bool bigEndian) : layout_(layout), mm_(bigEndian) {}

  ExifBuilder& Add(unsigned tag, const std::string& text) {
    // Up to 4 bytes stand in the entry itself, as Exif stores them.
    const std::string value = text + std::string(1, '\0');
    entries_.push_back({tag, 2, static_cast<std::uint32_t>(value.size()), value, value.size() <= 4});
    return *this;
  }
  ExifBuilder& Add(IfdEntry e) {
    entries_.push_back(std::move(e));
    return *this;
  }
  ExifBuilder& ByteOrder(const std::string& two) {
    order_ = two;
    return *this;
  }
  ExifBuilder& Tail(std::size_t n) {
    tail_ = n;
    return *this;
  }

  std::string Build() const {
    std::string tiff = order_.empty() ? (mm_ ? "MM" : "II") : order_;
    tiff += U16(42);
    tiff += U32(8);
    tiff += U16(static_cast<unsigned>(entries_.size()));
    std::size_t dataAt = 8 + 2 + 12 * entries_.size() + 4;
    std::string data;
    for (const IfdEntry& e : entries_) {
      tiff += U16(e.tag) + U16(e.type) + U32(e.count);
      if (e.inlineField) {
        tiff += (e.value + std::string(4, '\0')).substr(0, 4);
      } else {
        tiff += U32(static_cast<std::uint32_t>(dataAt + data.size()));
        data += e.value;
      }
    }
    tiff += U32(0) + data;

    std::string app1 = std::string("\xFF\xE1", 2);
    const std::string body = std::string("Exif\0\0", 6) + tiff;
    app1 += BE16(static_cast<unsigned>(body.size() + 2)) + body;
    std::string out = "\xFF\xD8";
    if (layout_ == 'B' || layout_ == 'C') {
      const std::size_t extra = layout_ == 'C' ? 8 : 0;
      out += std::string("\xFF\xE0", 2) + BE16(static_cast<unsigned>(16 + extra));
      out += std::string("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14) + std::string(extra, '\0');
    }
    return out + app1 + std::string(tail_, '\x55') + "\xFF\xD9";
  }

  // File offset of the TIFF header in the built file.
  std::size_t T() const { return layout_ == 'A' ? 12 : layout_ == 'B' ? 30 : 38; }

  std::string U16(unsigned v) const {
    const char a = char(v & 0xFF), b = char(v >> 8 & 0xFF);
    return mm_ ? std::string{b, a} : std::string{a, b};
  }
  std::string U32(std::uint32_t v) const {
    return mm_ ? U16(v >> 16) + U16(v & 0xFFFF) : U16(v & 0xFFFF) + U16(v >> 16);
  }
  static std::string BE16(unsigned v) { return std::string{char(v >> 8 & 0xFF), char(v & 0xFF)}; }

 private:
  char layout_;
  bool mm_;
  std::string order_;
  std::vector<IfdEntry> entries_;
  std::size_t tail_ = 16;
};

}  // namespace pictray::testing
