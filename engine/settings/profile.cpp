#include "engine/settings/profile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <vector>

#include "engine/fs/atomic_write.h"
#include "engine/fs/read_file.h"

namespace pictray {
namespace {

std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return s.substr(b, e - b);
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// Lines of `file` (none unless it is Read). A FIFO or device would block or
// never end: only a regular file is read, and no more of it than the limit.
ProfileRead ReadLines(const fs::Env& env, const std::string& file, std::vector<std::string>* lines) {
  lines->clear();
  const FileContent content = ReadRegularFile(env, file, kMaxProfileBytes, /*followLinks=*/true);
  if (content.err == ENOENT) return ProfileRead::Missing;
  if (content.err == kFileTooLarge) return ProfileRead::TooLarge;
  if (content.err != 0) return ProfileRead::Unreadable;
  const std::string& text = content.bytes;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t nl = text.find('\n', start);
    if (nl == std::string::npos) nl = text.size();
    std::string line = text.substr(start, nl - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines->push_back(std::move(line));
    start = nl + 1;
  }
  return ProfileRead::Read;
}

// "[name]" gives name; anything else gives false.
bool SectionName(const std::string& line, std::string* name) {
  std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return false;
  std::size_t close = t.find(']');
  if (close == std::string::npos) return false;
  *name = Trim(t.substr(1, close - 1));
  return true;
}

bool KeyValue(const std::string& line, std::string* key, std::string* value) {
  std::string t = Trim(line);
  if (t.empty() || t[0] == ';') return false;
  std::size_t eq = t.find('=');
  if (eq == std::string::npos) return false;
  *key = Trim(t.substr(0, eq));
  *value = Trim(t.substr(eq + 1));
  return true;
}

std::string Unquote(const std::string& v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

std::string CutToWidth(const std::string& v, std::size_t width) {
  if (width == 0 || v.size() < width) return v;
  std::size_t n = width - 1;
  // Back off to the start of a UTF-8 sequence so that no character is split.
  while (n > 0 && (static_cast<unsigned char>(v[n]) & 0xC0) == 0x80) --n;
  return v.substr(0, n);
}

// Index range [begin, end) of the lines belonging to the first section named
// `section` (begin = header line); begin = npos when absent.
void FindSection(const std::vector<std::string>& lines, const std::string& section,
                 std::size_t* begin, std::size_t* end) {
  *begin = std::string::npos;
  *end = lines.size();
  std::string name;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!SectionName(lines[i], &name)) continue;
    if (*begin != std::string::npos) {
      *end = i;
      return;
    }
    if (EqualNoCase(name, section)) *begin = i;
  }
}

// A linked settings file is written where the link points, so the link stays.
bool WrittenPath(const fs::Env& env, const std::string& path, std::string* file) {
  *file = path;
  struct stat st;
  if (env.Fstatat(AT_FDCWD, path.c_str(), st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(st.st_mode)) return true;
  *file = env.Realpath(path.c_str());
  return !file->empty();
}

// Holds the lock of the settings file itself while it is read, changed and
// replaced, so that one read-modify-write at a time changes the file, across
// threads and programs (Pictray writes Twinscan's settings while Twinscan
// runs). A writer that waited finds the name now holding the file the other
// writer put in place, and locks that one instead. A missing file is created
// empty here, as the write would create it.
class WriteLock {
 public:
  WriteLock(const fs::Env& env, const std::string& file) : env_(env) {
    for (;;) {
      // Non-blocking: a FIFO opens at once, and the read then refuses it.
      fd_ = env.Open(AT_FDCWD, file.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
      if (fd_ < 0) return;
      int locking;
      while ((locking = env.Flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
      }
      struct stat locked, named;
      if (locking == 0 && env.Fstat(fd_, locked) == 0 && env.Fstatat(AT_FDCWD, file.c_str(), named, 0) == 0 &&
          locked.st_dev == named.st_dev && locked.st_ino == named.st_ino)
        return;
      env.Close(fd_);
      fd_ = -1;
      if (locking != 0) return;
    }
  }
  ~WriteLock() {
    if (fd_ >= 0) env_.Close(fd_);
  }
  WriteLock(const WriteLock&) = delete;
  WriteLock& operator=(const WriteLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  const fs::Env& env_;
  int fd_ = -1;
};

// The settings, or the old ones after a crash, never an empty file; the
// file's permissions stay.
bool WriteWhole(const fs::Env& env, const std::string& file, const std::vector<std::string>& lines) {
  struct stat st;
  const mode_t mode = env.Fstatat(AT_FDCWD, file.c_str(), st, 0) == 0 ? (st.st_mode & 07777) : 0644;
  std::string text;
  for (const auto& l : lines) text += l + "\n";
  return WriteFileAtomic(env, file, {text}, mode) == 0;
}

}  // namespace

ProfileSnapshot ProfileSnapshot::Read(const fs::Env& env, const std::string& file) {
  ProfileSnapshot p;
  p.outcome_ = ReadLines(env, file, &p.lines_);
  return p;
}

std::string ProfileSnapshot::Get(const std::string& section, const std::string& key, const std::string& fallback,
                                 std::size_t width) const {
  std::size_t begin, end;
  FindSection(lines_, section, &begin, &end);
  if (begin != std::string::npos) {
    std::string k, v;
    for (std::size_t i = begin + 1; i < end; ++i)
      if (KeyValue(lines_[i], &k, &v) && EqualNoCase(k, key)) return CutToWidth(Unquote(v), width);
  }
  return CutToWidth(fallback, width);
}

// Unreadable or too large: the fallback, as for a missing file.
std::string GetProfileString(const fs::Env& env, const std::string& section, const std::string& key,
                             const std::string& fallback, std::size_t width,
                             const std::string& file) {
  return ProfileSnapshot::Read(env, file).Get(section, key, fallback, width);
}

int ProfileNumber(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > 2147483647LL) v = 2147483647LL;
  }
  return static_cast<int>(negative ? -v : v);
}

bool WriteProfileString(const fs::Env& env, const std::string& section, const std::string& key,
                        const std::string& value, const std::string& path) {
  std::string file;
  if (!WrittenPath(env, path, &file)) return false;
  WriteLock lock(env, file);
  if (!lock.held()) return false;
  std::vector<std::string> lines;
  const ProfileRead read = ReadLines(env, file, &lines);
  if (read != ProfileRead::Read && read != ProfileRead::Missing) return false;
  std::size_t begin, end;
  FindSection(lines, section, &begin, &end);
  if (begin == std::string::npos) {
    lines.push_back("[" + section + "]");
    lines.push_back(key + "=" + value);
    return WriteWhole(env, file, lines);
  }
  std::string k, v;
  std::size_t last = begin;
  for (std::size_t i = begin + 1; i < end; ++i) {
    if (Trim(lines[i]).empty()) continue;
    last = i;
    if (KeyValue(lines[i], &k, &v) && EqualNoCase(k, key)) {
      lines[i] = k + "=" + value;
      return WriteWhole(env, file, lines);
    }
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last + 1), key + "=" + value);
  return WriteWhole(env, file, lines);
}

}  // namespace pictray
