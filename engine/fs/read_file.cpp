#include "engine/fs/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/fs/unique_fd.h"

namespace pictray {

namespace {

// Bytes taken from the file at a time when it is read line by line.
constexpr std::size_t kLineReadPiece = std::size_t{64} << 10;

// Opens `path` for reading when it is a regular file of at most `limit`
// bytes, telling its size; else `err` says why not.
UniqueFd OpenRegularFile(const fs::Env& env, const std::string& path, std::size_t limit, bool followLinks, int& err,
                         std::size_t& size) {
  // O_NONBLOCK: opening a FIFO without a writer must not wait for one.
  UniqueFd fd(env, env.Open(AT_FDCWD, path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW)));
  struct stat st {};
  if (fd.get() < 0 || env.Fstat(fd.get(), st) != 0)
    err = errno;
  else if (!S_ISREG(st.st_mode))
    err = S_ISDIR(st.st_mode) ? EISDIR : kNotRegularFile;
  else if (static_cast<std::size_t>(st.st_size) > limit)
    err = kFileTooLarge;
  else
    err = 0;
  size = static_cast<std::size_t>(st.st_size);
  return fd;
}

// One read, again when a signal cut it short. Returns how many bytes (0 at
// the end of the file), or -1 with errno set.
ssize_t ReadSome(const fs::Env& env, int fd, char* buffer, std::size_t n) {
  for (;;) {
    const ssize_t got = env.Read(fd, buffer, n);
    if (got >= 0 || errno != EINTR) return got;
  }
}

}  // namespace

FileContent ReadRegularFile(const fs::Env& env, const std::string& path, std::size_t limit, bool followLinks) {
  FileContent out;
  std::size_t size = 0;
  const UniqueFd fd = OpenRegularFile(env, path, limit, followLinks, out.err, size);
  if (out.err != 0) return out;
  // The file may grow while it is read: one byte past the limit tells.
  out.bytes.resize(size + 1);
  std::size_t got = 0;
  for (;;) {
    if (got == out.bytes.size()) {
      if (got > limit) {
        out.bytes.clear();
        out.err = kFileTooLarge;
        return out;
      }
      out.bytes.resize(std::min(limit + 1, got * 2 + 4096));
    }
    const ssize_t n = ReadSome(env, fd.get(), out.bytes.data() + got, out.bytes.size() - got);
    if (n < 0) {
      out.err = errno;
      out.bytes.clear();
      return out;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  out.bytes.resize(got);
  return out;
}

bool LineSplitter::Feed(std::string_view bytes, const OnLine& line) {
  while (!bytes.empty()) {
    const std::size_t feed = bytes.find('\n');
    const std::string_view part = bytes.substr(0, feed);
    if (!overlong_ && carry_.size() + part.size() > lineLimit_) {
      overlong_ = true;
      carry_.clear();
    }
    if (feed == std::string_view::npos) {
      if (!overlong_) carry_.append(part);
      return true;
    }
    bytes.remove_prefix(feed + 1);
    bool more;
    if (overlong_) {
      more = line({}, LineEnd::TooLong);
    } else if (carry_.empty()) {
      more = line(part, LineEnd::Feed);
    } else {
      carry_.append(part);
      more = line(carry_, LineEnd::Feed);
    }
    carry_.clear();
    overlong_ = false;
    if (!more) return false;
  }
  return true;
}

bool LineSplitter::Finish(const OnLine& line) {
  const bool overlong = std::exchange(overlong_, false);
  const std::string rest = std::exchange(carry_, {});
  if (overlong) return line({}, LineEnd::TooLong);
  return rest.empty() || line(rest, LineEnd::FileEnd);
}

int ReadRegularFileLines(const fs::Env& env, const std::string& path, std::size_t limit, std::size_t lineLimit,
                         bool followLinks, const LineSplitter::OnLine& line) {
  int err = 0;
  std::size_t size = 0;
  const UniqueFd fd = OpenRegularFile(env, path, limit, followLinks, err, size);
  if (err != 0) return err;
  std::string piece(std::min(size, kLineReadPiece) + 1, '\0');
  LineSplitter splitter(lineLimit);
  std::size_t total = 0;
  for (;;) {
    const ssize_t n = ReadSome(env, fd.get(), piece.data(), piece.size());
    if (n < 0) return errno;
    if (n == 0) break;
    // The file may have grown since it was looked at.
    total += static_cast<std::size_t>(n);
    if (total > limit) return kFileTooLarge;
    if (!splitter.Feed(std::string_view(piece.data(), static_cast<std::size_t>(n)), line)) return 0;
  }
  splitter.Finish(line);
  return 0;
}

std::string ReadRefusalText(int err, std::size_t limit) {
  if (err == kNotRegularFile) return "not a regular file";
  if (err == kFileTooLarge) return "larger than " + std::to_string(limit) + " bytes";
  return std::strerror(err);
}

}  // namespace pictray
