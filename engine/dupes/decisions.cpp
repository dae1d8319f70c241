#include "engine/dupes/decisions.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <nettle/sha2.h>

#include <cerrno>
#include <map>
#include <string_view>

#include "engine/dupes/file_keys.h"
#include "engine/fs/atomic_write.h"
#include "engine/fs/make_folders.h"
#include "engine/fs/paths.h"
#include "engine/fs/read_file.h"
#include "engine/fs/unique_fd.h"

namespace pictray::dupes {
namespace {

constexpr const char* kHeader = "twinscan-decisions\t1";
constexpr std::size_t kReadPiece = std::size_t{1} << 20;

std::string Hex(const std::array<unsigned char, 32>& d) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (const unsigned char c : d) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

bool ParseHex(std::string_view text, std::array<unsigned char, 32>& d) {
  if (text.size() != 64) return false;
  const auto value = [](char c) {
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
  };
  for (std::size_t i = 0; i < 32; ++i) {
    const int hi = value(text[2 * i]), lo = value(text[2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    d[i] = static_cast<unsigned char>(hi << 4 | lo);
  }
  return true;
}

bool ParseSize(std::string_view text, std::int64_t& size) {
  if (text.empty() || text.size() > 19) return false;
  size = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    size = size * 10 + (c - '0');
  }
  return true;
}

// The tab-separated fields of a line.
std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

std::pair<ContentId, ContentId> Ordered(const ContentId& a, const ContentId& b) {
  return a < b ? std::make_pair(a, b) : std::make_pair(b, a);
}

// Reads, adds and saves: the store as it is on disk, not as this run began.
int Remember(const fs::Env& env, const std::string& path, const std::vector<std::pair<ContentId, ContentId>>& pairs) {
  Decisions decisions;
  if (const int e = decisions.Load(env, path); e != 0) return e;
  for (const auto& [a, b] : pairs) decisions.AddNotSame(a, b);
  return decisions.Save(env, path);
}

}  // namespace

std::optional<ContentId> ContentIdOf(const fs::Env& env, const FileRec& r) {
  const UniqueFd fd(env, env.Open(AT_FDCWD, r.path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0 || !AsListed(env, fd.get(), r)) return std::nullopt;
  struct sha256_ctx sha;
  sha256_init(&sha);
  std::vector<unsigned char> piece(static_cast<std::size_t>(std::min<std::int64_t>(r.identity.size, kReadPiece)) + 1);
  std::int64_t at = 0;
  for (;;) {
    const ssize_t n = env.Pread(fd.get(), piece.data(), piece.size(), at);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) break;
    sha256_update(&sha, static_cast<std::size_t>(n), piece.data());
    at += n;
  }
  // Still the file listed, read to the end it had.
  if (at != r.identity.size || !AsListed(env, fd.get(), r)) return std::nullopt;
  ContentId id{r.identity.size, {}};
  sha256_digest(&sha, id.hash.size(), id.hash.data());
  return id;
}

std::string DecisionsPath(const fs::Env& env, const std::string& program) {
  const std::string state = env.StateFolder();
  return state.empty() ? "" : JoinPath(JoinPath(state, program), "decisions");
}

int Decisions::Load(const fs::Env& env, const std::string& path) {
  pairs_.clear();
  sizes_.clear();
  damaged_ = 0;
  const FileContent content = ReadRegularFile(env, path, kDecisionsReadLimit);
  if (content.err == ENOENT) return 0;
  if (content.err != 0) return content.err;
  std::string_view bytes = content.bytes;
  bool first = true;
  while (!bytes.empty()) {
    const std::size_t feed = bytes.find('\n');
    // A line without its line feed was cut off.
    if (feed == std::string_view::npos) {
      ++damaged_;
      break;
    }
    const std::string_view line = bytes.substr(0, feed);
    bytes.remove_prefix(feed + 1);
    if (first) {
      first = false;
      if (line == kHeader) continue;
    }
    const std::vector<std::string_view> f = Fields(line);
    ContentId a, b;
    if (f.size() != 5 || f[0] != "N" || !ParseSize(f[1], a.size) || !ParseHex(f[2], a.hash) ||
        !ParseSize(f[3], b.size) || !ParseHex(f[4], b.hash)) {
      ++damaged_;
      continue;
    }
    AddNotSame(a, b);
  }
  return 0;
}

int Decisions::Save(const fs::Env& env, const std::string& path) const {
  if (path.empty()) return ENOENT;
  const std::size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0)
    if (const int e = MakeFolders(env, path.substr(0, slash), 0700); e != 0) return e;
  std::string text = std::string(kHeader) + "\n";
  for (const auto& [a, b] : pairs_)
    text += "N\t" + std::to_string(a.size) + "\t" + Hex(a.hash) + "\t" + std::to_string(b.size) + "\t" + Hex(b.hash) +
            "\n";
  return WriteFileAtomic(env, path, {text}, 0600);
}

void Decisions::AddNotSame(const ContentId& a, const ContentId& b) {
  if (!pairs_.insert(Ordered(a, b)).second) return;
  sizes_.insert(a.size);
  sizes_.insert(b.size);
}

bool Decisions::NotSame(const ContentId& a, const ContentId& b) const { return pairs_.count(Ordered(a, b)) != 0; }

HiddenCount HideDecided(const fs::Env& env, const Decisions& decisions, const std::vector<FileRec>& lpData,
                        std::vector<TwinGroup>& groups, AbortFlag abort) {
  HiddenCount hidden;
  if (decisions.empty()) return hidden;
  // Each file read once, however many groups it is in.
  std::map<std::size_t, std::optional<ContentId>> ids;
  const auto idOf = [&](std::size_t row) -> const std::optional<ContentId>& {
    auto [it, added] = ids.try_emplace(row);
    if (added) it->second = ContentIdOf(env, lpData[row]);
    return it->second;
  };
  for (std::size_t g = groups.size(); g-- > 0;) {
    if (Aborted(abort)) break;
    TwinGroup& group = groups[g];
    const std::size_t keptRow = group.members[group.kept].row;
    if (!decisions.HasSize(lpData[keptRow].identity.size)) continue;
    const std::optional<ContentId>& kept = idOf(keptRow);
    if (!kept) continue;
    std::vector<TwinMember> staying;
    std::size_t keptAt = 0, left = 0;
    for (std::size_t m = 0; m < group.members.size(); ++m) {
      const TwinMember& member = group.members[m];
      bool out = false;
      if (m != group.kept && decisions.HasSize(lpData[member.row].identity.size)) {
        // A byte-identical copy holds the kept file's content.
        if (member.likeness.identical) {
          out = decisions.NotSame(*kept, *kept);
        } else if (const std::optional<ContentId>& id = idOf(member.row)) {
          out = decisions.NotSame(*kept, *id);
        }
      }
      if (out) {
        ++left;
        continue;
      }
      if (m == group.kept) keptAt = staying.size();
      staying.push_back(member);
    }
    if (left == 0) continue;
    hidden.members += left;
    if (staying.size() < 2) {
      ++hidden.groups;
      groups.erase(groups.begin() + static_cast<std::ptrdiff_t>(g));
      continue;
    }
    group.members = std::move(staying);
    group.kept = keptAt;
  }
  return hidden;
}

namespace {

using Pair = std::pair<ContentId, ContentId>;
// The content identity of a row, read once however many decisions name it.
using IdsRead = std::map<std::size_t, std::optional<ContentId>>;

const std::optional<ContentId>& IdOf(const fs::Env& env, const std::vector<FileRec>& lpData, std::size_t row,
                                     IdsRead& ids) {
  auto [it, added] = ids.try_emplace(row);
  if (added) it->second = ContentIdOf(env, lpData[row]);
  return it->second;
}

// The pairs one decision adds (a member, or every file of its group, not
// the same as the kept file); false when a file is no longer as listed.
bool PairsOf(const fs::Env& env, const std::vector<FileRec>& lpData, const ReviewDecision& d, IdsRead& ids,
             std::vector<Pair>& pairs) {
  const std::optional<ContentId>& kept = IdOf(env, lpData, d.group.members[d.group.kept].row, ids);
  if (!kept) return false;
  std::vector<Pair> found;
  for (std::size_t m = 0; m < d.group.members.size(); ++m) {
    if (m == d.group.kept || (d.member && m != *d.member)) continue;
    const std::optional<ContentId>& other = IdOf(env, lpData, d.group.members[m].row, ids);
    if (!other) return false;
    found.emplace_back(*kept, *other);
  }
  pairs.insert(pairs.end(), found.begin(), found.end());
  return true;
}

int RememberOne(const fs::Env& env, const std::string& path, const std::vector<FileRec>& lpData,
                const ReviewDecision& d) {
  IdsRead ids;
  std::vector<Pair> pairs;
  if (!PairsOf(env, lpData, d, ids, pairs)) return ESTALE;
  return Remember(env, path, pairs);
}

}  // namespace

int RememberNotSame(const fs::Env& env, const std::string& path, const std::vector<FileRec>& lpData,
                    const TwinGroup& group, std::size_t member) {
  if (member >= group.members.size() || member == group.kept) return EINVAL;
  return RememberOne(env, path, lpData, {group, member});
}

int RememberGroupLeftOut(const fs::Env& env, const std::string& path, const std::vector<FileRec>& lpData,
                         const TwinGroup& group) {
  return RememberOne(env, path, lpData, {group, std::nullopt});
}

Remembered RememberDecisions(const fs::Env& env, const std::string& path, const std::vector<FileRec>& lpData,
                             const std::vector<ReviewDecision>& decisions) {
  Remembered r;
  IdsRead ids;
  std::vector<Pair> pairs;
  for (const ReviewDecision& d : decisions)
    if (!PairsOf(env, lpData, d, ids, pairs)) ++r.stale;
  if (!pairs.empty()) r.error = Remember(env, path, pairs);
  return r;
}

std::size_t CountDecisions(const fs::Env& env, const std::string& path) {
  Decisions decisions;
  return decisions.Load(env, path) == 0 ? decisions.size() : 0;
}

int ForgetDecisions(const fs::Env& env, const std::string& path) {
  if (path.empty()) return 0;
  return RemoveFileIfPresent(env, path);
}

}  // namespace pictray::dupes
