#include "engine/similar/feature_cache.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "engine/fs/atomic_write.h"
#include "engine/fs/make_folders.h"
#include "engine/fs/paths.h"
#include "engine/fs/read_file.h"

namespace pictray::similar {
namespace {

// The file: magic (its last byte the layout's version), entry count, the
// CRC-32 of the entries, then the entries.
constexpr std::string_view kMagic("TWSFEAT\x02", 8);
constexpr std::size_t kHeaderSize = 16;
constexpr std::size_t kMaxDate = 19;
constexpr std::uint8_t kPicture = 1, kDrawn = 2, kCamera = 4;
// key 32, flags 1, stored size 8, orientation 1, shown size 8, kind 1, date 1 + 19,
// hash 8, colours, thumbnail size 2 and pixels.
constexpr std::size_t kMaxEntrySize =
    32 + 1 + 8 + 1 + 8 + 1 + 1 + kMaxDate + 8 + kColourGrid * kColourGrid * 3 + 2 + kGreyEdge * kGreyEdge;
constexpr std::size_t kMaxFileSize = kHeaderSize + kMaxCachedFiles * kMaxEntrySize;

class Writer {
 public:
  void U8(std::uint8_t v) { out_.push_back(static_cast<char>(v)); }
  void U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) U8(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void U64(std::uint64_t v) {
    U32(static_cast<std::uint32_t>(v));
    U32(static_cast<std::uint32_t>(v >> 32));
  }
  void Bytes(const void* p, std::size_t n) { out_.append(static_cast<const char*>(p), n); }
  std::string& out() { return out_; }

 private:
  std::string out_;
};

// Reads within the bytes it was given; once a read runs past them every
// later one fails too.
class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}
  bool ok() const { return ok_; }
  bool done() const { return pos_ == in_.size(); }
  const std::uint8_t* Take(std::size_t n) {
    if (!ok_ || n > in_.size() - pos_) {
      ok_ = false;
      return nullptr;
    }
    const auto* p = reinterpret_cast<const std::uint8_t*>(in_.data() + pos_);
    pos_ += n;
    return p;
  }
  std::uint8_t U8() {
    const std::uint8_t* p = Take(1);
    return p ? *p : 0;
  }
  std::uint32_t U32() {
    const std::uint8_t* p = Take(4);
    return p ? std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24
             : 0;
  }
  std::uint64_t U64() {
    const std::uint64_t low = U32();
    return low | std::uint64_t(U32()) << 32;
  }

 private:
  std::string_view in_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

void WriteMeasured(Writer& w, const Measured& m) {
  const PictureShape& s = m.shape;
  w.U8(static_cast<std::uint8_t>((s.picture ? kPicture : 0) | (m.features ? kDrawn : 0) |
                                 (s.facts.camera ? kCamera : 0)));
  w.U32(static_cast<std::uint32_t>(s.storedWidth));
  w.U32(static_cast<std::uint32_t>(s.storedHeight));
  w.U8(static_cast<std::uint8_t>(s.orientation));
  w.U32(static_cast<std::uint32_t>(s.facts.width));
  w.U32(static_cast<std::uint32_t>(s.facts.height));
  w.U8(static_cast<std::uint8_t>(s.facts.kind));
  const std::size_t dateLength = std::min(s.facts.dateTaken.size(), kMaxDate);
  w.U8(static_cast<std::uint8_t>(dateLength));
  w.Bytes(s.facts.dateTaken.data(), dateLength);
  if (!m.features) return;
  const PictureFeatures& f = *m.features;
  w.U64(f.hash);
  w.Bytes(f.colour.data(), f.colour.size());
  w.U8(f.width);
  w.U8(f.height);
  w.Bytes(f.grey.data(), std::size_t(f.width) * f.height);
}

int Signed(std::uint32_t v) { return static_cast<int>(std::min<std::uint32_t>(v, 1u << 30)); }

// An entry as written, or nothing when its values cannot be.
std::optional<Measured> ReadMeasured(Reader& r) {
  Measured m;
  PictureShape& s = m.shape;
  const std::uint8_t flags = r.U8();
  s.picture = (flags & kPicture) != 0;
  s.facts.camera = (flags & kCamera) != 0;
  s.storedWidth = Signed(r.U32());
  s.storedHeight = Signed(r.U32());
  s.orientation = r.U8();
  s.facts.width = Signed(r.U32());
  s.facts.height = Signed(r.U32());
  const std::uint8_t kind = r.U8();
  const std::uint8_t dateLength = r.U8();
  if (flags > (kPicture | kDrawn | kCamera) || s.orientation < 1 || s.orientation > 8 ||
      kind > static_cast<std::uint8_t>(dupes::PictureKind::Other) || dateLength > kMaxDate)
    return std::nullopt;
  s.facts.kind = static_cast<dupes::PictureKind>(kind);
  if (const std::uint8_t* date = r.Take(dateLength))
    s.facts.dateTaken.assign(reinterpret_cast<const char*>(date), dateLength);
  if (flags & kDrawn) {
    PictureFeatures f;
    f.hash = r.U64();
    if (const std::uint8_t* colour = r.Take(f.colour.size())) std::memcpy(f.colour.data(), colour, f.colour.size());
    f.width = r.U8();
    f.height = r.U8();
    if (f.width == 0 || f.height == 0 || f.width > kGreyEdge || f.height > kGreyEdge) return std::nullopt;
    if (const std::uint8_t* grey = r.Take(std::size_t(f.width) * f.height))
      std::memcpy(f.grey.data(), grey, std::size_t(f.width) * f.height);
    m.features = f;
  }
  if (!r.ok()) return std::nullopt;
  return m;
}

std::uint32_t Crc(std::string_view bytes) {
  uLong crc = crc32(0L, Z_NULL, 0);
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t n = std::min<std::size_t>(bytes.size() - at, 1u << 30);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data() + at), static_cast<uInt>(n));
    at += n;
  }
  return static_cast<std::uint32_t>(crc);
}

}  // namespace

std::size_t FeatureCache::KeyHash::operator()(const Key& k) const {
  std::uint64_t h = k.dev * 0x9E3779B97F4A7C15ull ^ k.ino;
  h = (h ^ static_cast<std::uint64_t>(k.size)) * 0xC2B2AE3D27D4EB4Full ^ static_cast<std::uint64_t>(k.mtimeNs);
  return static_cast<std::size_t>(h ^ (h >> 29));
}

FeatureCache FeatureCache::Read(const fs::Env& env, const std::string& dir) {
  FeatureCache cache;
  if (dir.empty()) return cache;
  const FileContent file = ReadRegularFile(env, JoinPath(dir, kCacheFileName), kMaxFileSize);
  if (file.err != 0 || file.bytes.size() < kHeaderSize || std::string_view(file.bytes).substr(0, 8) != kMagic)
    return cache;
  Reader header(std::string_view(file.bytes).substr(8, 8));
  const std::uint32_t count = header.U32(), crc = header.U32();
  const std::string_view body = std::string_view(file.bytes).substr(kHeaderSize);
  if (count > kMaxCachedFiles || Crc(body) != crc) return cache;
  Reader r(body);
  for (std::uint32_t i = 0; i < count; ++i) {
    Key k;
    k.dev = r.U64();
    k.ino = r.U64();
    k.size = static_cast<std::int64_t>(r.U64());
    k.mtimeNs = static_cast<std::int64_t>(r.U64());
    std::optional<Measured> m = ReadMeasured(r);
    if (!m) return FeatureCache{};
    cache.entries_.insert_or_assign(k, Entry{std::move(*m), false});
  }
  if (!r.done()) return FeatureCache{};
  return cache;
}

const Measured* FeatureCache::Use(const FileIdentity& file) {
  const auto e = entries_.find(KeyOf(file));
  if (e == entries_.end()) return nullptr;
  e->second.used = true;
  return &e->second.measured;
}

void FeatureCache::Put(const FileIdentity& file, Measured measured) {
  entries_.insert_or_assign(KeyOf(file), Entry{std::move(measured), true});
  changed_ = true;
}

int FeatureCache::Write(const fs::Env& env, const std::string& dir) const {
  if (const int err = MakeFolders(env, dir, 0700)) return err;
  Writer w;
  std::uint32_t count = 0;
  for (bool used : {true, false})
    for (const auto& [key, entry] : entries_) {
      if (entry.used != used || count == kMaxCachedFiles) continue;
      w.U64(key.dev);
      w.U64(key.ino);
      w.U64(static_cast<std::uint64_t>(key.size));
      w.U64(static_cast<std::uint64_t>(key.mtimeNs));
      WriteMeasured(w, entry.measured);
      ++count;
    }
  Writer header;
  header.Bytes(kMagic.data(), kMagic.size());
  header.U32(count);
  header.U32(Crc(w.out()));
  return WriteFileAtomic(env, JoinPath(dir, kCacheFileName), {header.out(), w.out()}, 0600);
}

}  // namespace pictray::similar
