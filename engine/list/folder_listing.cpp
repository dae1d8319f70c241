#include "engine/list/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <span>
#include <utility>
#include <vector>

#include "engine/fs/unique_fd.h"

namespace pictray {
namespace {

// Byte to its sort key: a-z to A-Z, everything else unchanged. A table keeps
// the comparison a plain byte loop, which matters when a folder holds a
// million names (some twenty million comparisons).
constexpr std::array<unsigned char, 256> kUpper = [] {
  std::array<unsigned char, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i >= 'a' && i <= 'z' ? i - ('a' - 'A') : i);
  return t;
}();

// UpperWord of eight bytes: kUpper applied to each byte at once. A byte is a
// lower-case letter when its low seven bits lie in 'a'..'z' and its top bit is
// clear; the sums cannot carry into the next byte because the low seven bits
// are at most 0x7F.
constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t UpperWord(std::uint64_t w) {
  const std::uint64_t low7 = w & (0x7F * kOnes);
  const std::uint64_t atLeastA = low7 + (0x80 - 'a') * kOnes;
  const std::uint64_t aboveZ = low7 + (0x80 - 'z' - 1) * kOnes;
  const std::uint64_t lower = atLeastA & ~aboveZ & ~w & (0x80 * kOnes);
  return w - (lower >> 2);  // 0x80 >> 2 is 0x20, the case bit
}
// Byte by byte: a b y z fold; { ` @ A, the neighbours of the letters, do not.
static_assert(UpperWord(0x6162797A7B604041ull) == 0x4142595A7B604041ull);
// Bytes above 0x7F stay, though their low seven bits may spell a letter.
static_assert(UpperWord(0xE1FAC1DA80FF5F00ull) == 0xE1FAC1DA80FF5F00ull);

int FirstByteDifference(const char* a, const char* b) {
  for (int k = 0;; ++k)
    if (a[k] != b[k]) return static_cast<unsigned char>(a[k]) < static_cast<unsigned char>(b[k]) ? -1 : 1;
}

// The file system's own order, without sorting: enough for counting.
bool ReadFolderUnsorted(const fs::Env& env, const std::string& folder, FolderEntries* entries, std::string* error) {
  entries->bytes.clear();
  entries->entries.clear();
  const UniqueFd dir(env, env.Open(AT_FDCWD, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  const bool listed = dir.get() >= 0 && env.ListFolder(dir.get(), ".", [&](std::string_view n, unsigned char type) {
    bool isFolder = type == DT_DIR;
    if (type == DT_UNKNOWN || type == DT_LNK) {
      // Links count as what they point to, as a folder listing shows them.
      struct stat st;
      isFolder = env.Fstatat(dir.get(), std::string(n).c_str(), st, 0) == 0 && S_ISDIR(st.st_mode);
    }
    entries->entries.push_back(entries->bytes.size() | std::uint64_t{isFolder} << FolderEntries::kFolderBit |
                               std::uint64_t{n.size()} << FolderEntries::kLengthShift);
    entries->bytes.append(n);
  }) == 0;
  if (!listed && error) *error = std::strerror(errno);
  return listed;
}

// The sort-key bytes from..from+7 of `name` as one number that orders as
// they do; past the end 0, below every byte a name holds, so that a name
// ending there comes first as in CompareListingNames.
std::uint64_t KeyBytes(std::string_view name, std::size_t from) {
  std::uint64_t key = 0;
  for (std::size_t k = from; k < from + 8; ++k)
    key = key << 8 | (k < name.size() ? kUpper[static_cast<unsigned char>(name[k])] : 0);
  return key;
}

using KeyedEntry = std::pair<std::uint64_t, std::uint64_t>;  // KeyBytes, entry

// How many sort-key bytes all names of `part` share, knowing they share
// `from`: names in one folder often share far more ("IMG_0", "DSC_"), and
// keys made past that part order the names in one sort, not one per eight
// bytes of it.
std::size_t SharedKeyBytes(const FolderEntries& e, std::span<const KeyedEntry> part, std::size_t from) {
  const std::string_view first = e.NameOf(part.front().second);
  std::size_t shared = first.size();
  for (const KeyedEntry& k : part) {
    const std::string_view name = e.NameOf(k.second);
    std::size_t i = from;
    for (const std::size_t n = std::min(shared, name.size());
         i < n && kUpper[static_cast<unsigned char>(name[i])] == kUpper[static_cast<unsigned char>(first[i])];)
      ++i;
    if ((shared = i) == from) break;
  }
  return shared;
}

// Sorts `part`, whose names agree in their first `from` sort-key bytes, by
// the next eight and, where those agree too, by the rest.
void SortFrom(const FolderEntries& e, std::span<KeyedEntry> part, std::size_t from) {
  if (part.size() < 2) return;
  from = SharedKeyBytes(e, part, from);
  for (KeyedEntry& k : part) k.first = KeyBytes(e.NameOf(k.second), from);
  std::sort(part.begin(), part.end(), [](const KeyedEntry& a, const KeyedEntry& b) { return a.first < b.first; });
  for (std::size_t i = 0, j; i < part.size(); i = j) {
    for (j = i + 1; j < part.size() && part[j].first == part[i].first;) ++j;
    if (j - i < 2) continue;
    const std::span<KeyedEntry> same = part.subspan(i, j - i);
    if ((part[i].first & 0xFF) != 0) {
      SortFrom(e, same, from + 8);
      continue;
    }
    // The names end here alike: only their case tells them apart.
    std::sort(same.begin(), same.end(), [&e](const KeyedEntry& a, const KeyedEntry& b) {
      return CompareListingNames(e.NameOf(a.second), e.NameOf(b.second)) < 0;
    });
  }
}

}  // namespace

int CompareListingNames(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  int byBytes = 0;  // the first raw difference, used only when the keys tie
  std::size_t i = 0;
  // Eight bytes at a time while the keys agree: names in one folder share
  // long prefixes ("IMG_00", "Photo 2024-") and often differ only in case.
  for (; i + 8 <= n; i += 8) {
    std::uint64_t x, y;
    std::memcpy(&x, a.data() + i, 8);
    std::memcpy(&y, b.data() + i, 8);
    if (x == y) continue;
    if (UpperWord(x) != UpperWord(y)) break;  // the byte loop below finds where
    if (byBytes == 0) byBytes = FirstByteDifference(a.data() + i, b.data() + i);
  }
  for (; i < n; ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x == y) continue;
    if (kUpper[x] != kUpper[y]) return kUpper[x] < kUpper[y] ? -1 : 1;
    if (byBytes == 0) byBytes = x < y ? -1 : 1;
  }
  // A key that is a prefix of the other comes first, before any case tie.
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return byBytes;
}

bool ReadFolder(const fs::Env& env, const std::string& folder, FolderEntries* entries, std::string* error) {
  const bool complete = ReadFolderUnsorted(env, folder, entries, error);
  // A million names lie far apart in memory, and each is compared with some
  // twenty others: the comparisons go to keys kept beside the entries, eight
  // sort-key bytes at a time, and each name is visited once per eight bytes.
  std::vector<KeyedEntry> keyed;
  keyed.reserve(entries->size());
  for (const std::uint64_t e : entries->entries) keyed.emplace_back(0, e);
  SortFrom(*entries, keyed, 0);
  for (std::size_t i = 0; i < keyed.size(); ++i) entries->entries[i] = keyed[i].second;
  return complete;
}

}  // namespace pictray
