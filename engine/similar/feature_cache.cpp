#include "engine/similar/feature_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <numeric>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/fs/atomic_write.h"
#include "engine/fs/make_folders.h"
#include "engine/fs/paths.h"
#include "engine/fs/unique_fd.h"

namespace pictray::similar {
namespace {

// A folder's file: magic (its last byte the layout's version), the length
// of the folder's path, the entry count, the bytes of the entries, the
// path; then each entry: its length, the CRC-32 of its bytes, its bytes
// (the key, then the measurements).
constexpr std::string_view kMagic("TWSFEAT\x03", 8);
constexpr std::size_t kHeaderSize = 24;
constexpr std::size_t kMaxPath = 4096;
constexpr std::size_t kMaxDate = 19;
constexpr std::uint8_t kPicture = 1, kDrawn = 2, kOther = 4, kCamera = 8;
constexpr std::size_t kKeySize = 40;
// key, flags 1, stored size 8, orientation 1, shown size 8, kind 1, date 1 + 19,
// hashes 8 + 40, colours, thumbnail size 2 and pixels.
constexpr std::size_t kMaxEntrySize = kKeySize + 1 + 8 + 1 + 8 + 1 + 1 + kMaxDate + 8 + 8 * kCropHashes +
                                      kColourGrid * kColourGrid * 3 + 2 + kGreyEdge * kGreyEdge;
constexpr std::size_t kEntryHead = 8;
// What is read of a cache file at a time.
constexpr std::size_t kPiece = 1 << 20;

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
  w.U8(static_cast<std::uint8_t>((s.picture ? kPicture : 0) | (m.features ? kDrawn : 0) | (s.otherFormat ? kOther : 0) |
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
  for (std::uint64_t h : f.cropHash) w.U64(h);
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
  s.otherFormat = (flags & kOther) != 0;
  s.facts.camera = (flags & kCamera) != 0;
  s.storedWidth = Signed(r.U32());
  s.storedHeight = Signed(r.U32());
  s.orientation = r.U8();
  s.facts.width = Signed(r.U32());
  s.facts.height = Signed(r.U32());
  const std::uint8_t kind = r.U8();
  const std::uint8_t dateLength = r.U8();
  if (flags > (kPicture | kDrawn | kOther | kCamera) || s.orientation < 1 || s.orientation > 8 ||
      kind > static_cast<std::uint8_t>(dupes::PictureKind::Other) || dateLength > kMaxDate)
    return std::nullopt;
  s.facts.kind = static_cast<dupes::PictureKind>(kind);
  if (const std::uint8_t* date = r.Take(dateLength))
    s.facts.dateTaken.assign(reinterpret_cast<const char*>(date), dateLength);
  if (flags & kDrawn) {
    PictureFeatures f;
    f.hash = r.U64();
    for (std::uint64_t& h : f.cropHash) h = r.U64();
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

struct Key {
  std::uint64_t dev = 0, ino = 0;
  std::int64_t size = 0, mtimeNs = 0, ctimeNs = 0;
  bool operator==(const Key&) const = default;
};
struct KeyHash {
  std::size_t operator()(const Key& k) const {
    std::uint64_t h = k.dev * 0x9E3779B97F4A7C15ull ^ k.ino;
    h = (h ^ static_cast<std::uint64_t>(k.size)) * 0xC2B2AE3D27D4EB4Full ^ static_cast<std::uint64_t>(k.mtimeNs);
    h = (h ^ static_cast<std::uint64_t>(k.ctimeNs)) * 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(h ^ (h >> 29));
  }
};
Key KeyOf(const FileIdentity& f) { return {f.dev, f.ino, f.size, f.mtimeNs, f.ctimeNs}; }

void WriteKey(Writer& w, const Key& k) {
  w.U64(k.dev);
  w.U64(k.ino);
  w.U64(static_cast<std::uint64_t>(k.size));
  w.U64(static_cast<std::uint64_t>(k.mtimeNs));
  w.U64(static_cast<std::uint64_t>(k.ctimeNs));
}

Key ReadKey(Reader& r) {
  Key k;
  k.dev = r.U64();
  k.ino = r.U64();
  k.size = static_cast<std::int64_t>(r.U64());
  k.mtimeNs = static_cast<std::int64_t>(r.U64());
  k.ctimeNs = static_cast<std::int64_t>(r.U64());
  return k;
}

// FNV-1a of the folder's path: its cache file's name.
std::uint64_t PathHash(std::string_view path) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (unsigned char c : path) h = (h ^ c) * 0x100000001b3ull;
  return h;
}

// The indices of `files` by folder, the folders in order.
std::vector<std::pair<std::size_t, std::size_t>> FolderRuns(const std::vector<CachedFile>& files,
                                                            std::vector<std::size_t>& order) {
  order.resize(files.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return files[a].folder < files[b].folder; });
  std::vector<std::pair<std::size_t, std::size_t>> runs;
  for (std::size_t at = 0; at < order.size();) {
    std::size_t end = at + 1;
    while (end < order.size() && files[order[end]].folder == files[order[at]].folder) ++end;
    runs.emplace_back(at, end);
    at = end;
  }
  return runs;
}

// Reads `want` bytes (fewer only at the file's end); false on an error.
bool ReadFully(const fs::Env& env, int fd, char* into, std::size_t want, std::size_t& got) {
  got = 0;
  while (got < want) {
    const ssize_t n = env.Read(fd, into + got, want - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

// Whether the directory entry `name` is a temporary of the atomic writer
// of a cache file (`stem`s and six characters).
bool TemporaryOf(std::string_view name, std::string_view stem) {
  return name.size() == stem.size() + 6 && name.substr(0, stem.size()) == stem;
}

// Removes the temporaries in `dir` named after `file` whose writer is gone
// (not written for kStaleTemporarySeconds).
void RemoveStaleTemporaries(const fs::Env& env, const std::string& dir, const std::function<bool(std::string_view)>& temporary) {
  const UniqueFd fd(env, env.Open(AT_FDCWD, dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() < 0) return;
  std::vector<std::string> names;
  env.ListFolder(fd.get(), ".", [&](std::string_view n, unsigned char) {
    if (temporary(n)) names.emplace_back(n);
  });
  const std::int64_t now = env.Now().tv_sec;
  for (const std::string& n : names) {
    struct stat st {};
    if (env.Fstatat(fd.get(), n.c_str(), st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
    if (now - static_cast<std::int64_t>(st.st_mtim.tv_sec) >= kStaleTemporarySeconds)
      env.Unlinkat(fd.get(), n.c_str(), 0);
  }
}

}  // namespace

std::string FeatureCache::FileOf(const std::string& dir, std::string_view folder) {
  char name[17];
  std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(PathHash(folder)));
  return JoinPath(JoinPath(dir, kCacheFolderName), name);
}

void FeatureCache::Read(const std::vector<CachedFile>& files,
                        const std::function<void(std::size_t, Measured&&)>& found) {
  read_.clear();
  if (dir_.empty()) return;
  std::vector<std::size_t> order;
  for (const auto& [begin, end] : FolderRuns(files, order)) {
    const std::string_view folder = files[order[begin]].folder;
    FolderRead stats;
    stats.whole = false;
    std::unordered_map<Key, std::size_t, KeyHash> wanted;
    for (std::size_t k = begin; k < end; ++k) wanted.emplace(KeyOf(files[order[k]].identity), order[k]);
    const UniqueFd fd(env_, env_.Open(AT_FDCWD, FileOf(dir_, folder).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    std::string buffer(kHeaderSize, '\0');
    std::size_t got = 0;
    const bool opened = fd.get() >= 0 && env_.Fstat(fd.get(), st) == 0 && S_ISREG(st.st_mode) &&
                        ReadFully(env_, fd.get(), buffer.data(), kHeaderSize, got) && got == kHeaderSize &&
                        std::string_view(buffer).substr(0, 8) == kMagic;
    Reader header(std::string_view(buffer).substr(8));
    const std::uint32_t pathLength = header.U32(), count = header.U32();
    const std::uint64_t bodyBytes = header.U64();
    // Bound what the file may hold before any of it is read.
    const bool bounded = opened && pathLength == folder.size() && pathLength <= kMaxPath &&
                         count <= kMaxCachedFiles && bodyBytes <= count * (kEntryHead + kMaxEntrySize) &&
                         static_cast<std::uint64_t>(st.st_size) == kHeaderSize + pathLength + bodyBytes;
    std::string path(bounded ? pathLength : 0, '\0');
    if (bounded && ReadFully(env_, fd.get(), path.data(), pathLength, got) && got == pathLength && path == folder) {
      // The entries, a piece at a time; an entry is taken only whole and sound.
      std::string pending;
      std::uint64_t left = bodyBytes;
      std::size_t entries = 0;
      bool sound = true;
      std::vector<char> piece(kPiece);
      while (sound && left > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, kPiece));
        if (!ReadFully(env_, fd.get(), piece.data(), want, got) || got != want) {
          sound = false;
          break;
        }
        left -= want;
        pending.append(piece.data(), want);
        std::size_t at = 0;
        while (sound && pending.size() - at >= kEntryHead) {
          Reader head(std::string_view(pending).substr(at, kEntryHead));
          const std::uint32_t length = head.U32(), crc = head.U32();
          if (length < kKeySize || length > kMaxEntrySize) {
            sound = false;
            break;
          }
          if (pending.size() - at - kEntryHead < length) break;
          const std::string_view bytes = std::string_view(pending).substr(at + kEntryHead, length);
          at += kEntryHead + length;
          ++entries;
          if (Crc(bytes) != crc) {
            sound = false;
            break;
          }
          Reader r(bytes);
          const auto it = wanted.find(ReadKey(r));
          if (it == wanted.end()) continue;
          std::optional<Measured> m = ReadMeasured(r);
          if (!m || !r.done()) {
            sound = false;
            break;
          }
          ++stats.matched;
          found(it->second, std::move(*m));
          wanted.erase(it);
        }
        pending.erase(0, at);
      }
      stats.whole = sound && left == 0 && pending.empty() && entries == count;
      stats.entries = entries;
    }
    read_.emplace_back(std::string(folder), stats);
  }
}

int FeatureCache::Write(const std::vector<CachedFile>& files, const std::vector<char>& measuredNow,
                        const std::function<std::optional<Measured>(std::size_t)>& measured) {
  if (dir_.empty()) return 0;
  const std::string folderDir = JoinPath(dir_, kCacheFolderName);
  if (const int err = MakeFolders(env_, folderDir, 0700)) return err;
  // The one file of earlier versions, and temporaries of killed writers.
  env_.Unlinkat(AT_FDCWD, JoinPath(dir_, kCacheFileName).c_str(), 0);
  const std::string oldStem = "." + std::string(kCacheFileName) + ".";
  RemoveStaleTemporaries(env_, dir_, [&](std::string_view n) { return TemporaryOf(n, oldStem); });
  RemoveStaleTemporaries(env_, folderDir, [](std::string_view n) { return n.size() == 24 && n[0] == '.' && n[17] == '.'; });

  std::unordered_map<std::string_view, const FolderRead*> readOf;
  for (const auto& [folder, stats] : read_) readOf.emplace(folder, &stats);
  std::vector<std::size_t> order;
  int first = 0;
  for (const auto& [begin, end] : FolderRuns(files, order)) {
    const std::string_view folder = files[order[begin]].folder;
    if (folder.size() > kMaxPath) continue;
    bool now = false;
    for (std::size_t k = begin; k < end && !now; ++k) now = measuredNow[order[k]] != 0;
    const auto r = readOf.find(folder);
    const bool stale = r == readOf.end() || !r->second->whole || r->second->entries != r->second->matched;
    if (!now && !stale) continue;
    const std::string file = FileOf(dir_, folder);
    // The entries are counted and measured before the header is written.
    std::vector<std::size_t> kept;
    std::uint64_t bodyBytes = 0;
    Writer entry;
    for (std::size_t k = begin; k < end && kept.size() < kMaxCachedFiles; ++k) {
      const std::optional<Measured> m = measured(order[k]);
      if (!m) continue;
      entry.out().clear();
      WriteKey(entry, KeyOf(files[order[k]].identity));
      WriteMeasured(entry, *m);
      bodyBytes += kEntryHead + entry.out().size();
      kept.push_back(order[k]);
    }
    const int err = WriteFileAtomicPieces(
        env_, file,
        [&](const std::function<int(std::string_view)>& put) {
          Writer out;
          out.Bytes(kMagic.data(), kMagic.size());
          out.U32(static_cast<std::uint32_t>(folder.size()));
          out.U32(static_cast<std::uint32_t>(kept.size()));
          out.U64(bodyBytes);
          out.Bytes(folder.data(), folder.size());
          for (std::size_t i : kept) {
            const std::optional<Measured> m = measured(i);
            if (!m) return EAGAIN;
            entry.out().clear();
            WriteKey(entry, KeyOf(files[i].identity));
            WriteMeasured(entry, *m);
            out.U32(static_cast<std::uint32_t>(entry.out().size()));
            out.U32(Crc(entry.out()));
            out.Bytes(entry.out().data(), entry.out().size());
            if (out.out().size() >= kPiece) {
              if (const int e = put(out.out()); e != 0) return e;
              out.out().clear();
            }
          }
          return put(out.out());
        },
        0600);
    if (err != 0 && first == 0) first = err;
  }
  return first;
}

}  // namespace pictray::similar
