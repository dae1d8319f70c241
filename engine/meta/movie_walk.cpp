// Compressed movie headers ("cmov": a "dcom" box naming zlib, a "cmvd" box
// with the inflated size, then the deflated "moov"). libavformat allocates
// whatever size is claimed and inflates into it, at any level it parses,
// inside an inflated header too; so every one is found, and the inflated
// ones are searched again, before the library sees the file.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "engine/meta/bounded_walks.h"
#include "engine/meta/iso_boxes.h"

namespace pictray::meta {
namespace {

// All inflated headers of one file together; a movie header is a few
// hundred kilobytes.
constexpr std::uint64_t kMaxInflated = 32 << 20;
// Top-level boxes other than the media data, searched for compressed
// headers: a fragmented movie has a few thousand small ones.
constexpr std::uint64_t kMaxSearched = 256 << 20;
constexpr std::uint32_t kMaxTopBoxes = 1 << 16;
// The library gives up below ten levels.
constexpr int kMaxDepth = 10;
constexpr std::size_t kWindow = 1 << 20;

// The file, or a header inflated in memory.
struct Source {
  const fs::ReadOnlyFile* file = nullptr;
  std::string_view memory;

  std::uint64_t size() const { return file ? file->size() : memory.size(); }
  std::size_t ReadAt(std::uint64_t at, unsigned char* out, std::size_t n) const {
    if (file) return file->ReadAt(at, out, n);
    if (at >= memory.size()) return 0;
    n = static_cast<std::size_t>(std::min<std::uint64_t>(n, memory.size() - at));
    std::memcpy(out, memory.data() + at, n);
    return n;
  }
};

// Up to `claimed` bytes inflated from the zlib stream at `from`; as much as
// inflates when the stream is damaged.
std::string Inflate(const Source& source, std::uint64_t from, std::uint64_t claimed) {
  std::string out(static_cast<std::size_t>(claimed), '\0');
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return {};
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  std::vector<unsigned char> in(1 << 16);
  int rc = Z_OK;
  while (rc == Z_OK && z.avail_out > 0) {
    const std::size_t got = source.ReadAt(from, in.data(), in.size());
    if (got == 0) break;
    from += got;
    z.next_in = in.data();
    z.avail_in = static_cast<uInt>(got);
    while (rc == Z_OK && z.avail_in > 0 && z.avail_out > 0) rc = inflate(&z, Z_NO_FLUSH);
  }
  out.resize(z.total_out);
  inflateEnd(&z);
  return out;
}

struct Search {
  std::uint64_t inflated = 0, searched = 0;

  // [from, to) of `source` searched for compressed headers, each within
  // what is left of the bound.
  bool Range(const Source& source, std::uint64_t from, std::uint64_t to, int depth) {
    std::vector<unsigned char> window(static_cast<std::size_t>(std::min<std::uint64_t>(kWindow, to - from)));
    for (std::uint64_t at = from; at < to;) {
      const std::size_t got =
          source.ReadAt(at, window.data(), static_cast<std::size_t>(std::min<std::uint64_t>(kWindow, to - at)));
      if ((searched += got) > kMaxSearched) return false;
      const std::string_view seen(reinterpret_cast<const char*>(window.data()), got);
      for (std::size_t hit = seen.find("cmov"); hit != std::string_view::npos; hit = seen.find("cmov", hit + 1))
        if (at + hit >= 4 && !Header(source, at + hit - 4, depth)) return false;
      if (got < kWindow) break;
      at += got - 3;  // a name across the windows' border is found once
    }
    return true;
  }

  // The box at `at` of `source`, when it is a header the library inflates.
  bool Header(const Source& source, std::uint64_t at, int depth) {
    unsigned char b[40];
    Cursor c(b, source.ReadAt(at, b, sizeof b));
    std::uint64_t header = 8;
    if (c.Number(4) == 1) {
      c.Number(8);
      header = 16;
    }
    c.Number(4);  // "cmov"
    c.Number(4);
    const std::uint64_t dcom = c.Number(4), method = c.Number(4);
    c.Number(4);
    const std::uint64_t cmvd = c.Number(4), claimed = c.Number(4);
    if (c.failed() || dcom != FourCC("dcom") || method != FourCC("zlib") || cmvd != FourCC("cmvd"))
      return true;  // not one the library inflates
    if (depth >= kMaxDepth || claimed > kMaxInflated - inflated) return false;
    inflated += claimed;
    const std::string moov = Inflate(source, at + header + 24, claimed);
    return Range(Source{nullptr, moov}, 0, moov.size(), depth + 1);
  }
};

}  // namespace

bool MovieHeadersBounded(const fs::ReadOnlyFile& file) {
  Search search;
  const Source source{&file, {}};
  std::uint64_t at = 0;
  for (std::uint32_t n = 0; at + 8 <= file.size(); ++n) {
    if (n >= kMaxTopBoxes) return false;
    unsigned char b[16];
    Cursor c(b, file.ReadAt(at, b, sizeof b));
    std::uint64_t size = c.Number(4), header = 8;
    const auto type = static_cast<std::uint32_t>(c.Number(4));
    if (size == 1) {
      size = c.Number(8);
      header = 16;
    }
    if (size == 0) size = file.size() - at;
    if (c.failed() || size < header) return true;  // the library stops here
    const std::uint64_t end = at + std::min(size, file.size() - at);
    const bool skipped =
        type == FourCC("mdat") || type == FourCC("free") || type == FourCC("skip") || type == FourCC("wide");
    if (!skipped && !search.Range(source, at, end, 0)) return false;
    at = end;
  }
  return true;
}

}  // namespace pictray::meta
