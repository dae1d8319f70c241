// Regular files opened for reading alone: what the picture readers and
// checks read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/fs/env.h"

namespace pictray::fs {

// A descriptor someone else opened and keeps open.
struct BorrowedFd {
  int fd;
};

// An open, read-only regular file, closed on destruction. A FIFO or device
// would block or never end, so it counts as a file that cannot be opened.
class ReadOnlyFile {
 public:
  ReadOnlyFile(const Env& env, const std::string& path);
  // Reads the caller's descriptor, which stays open when this goes; not ok
  // unless it is a regular file. Reads leave its offset alone.
  ReadOnlyFile(const Env& env, BorrowedFd borrowed);
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  bool ok() const { return fd_ >= 0; }
  const Env& env() const { return env_; }
  // The descriptor, for readers that take one; -1 when not open.
  int fd() const { return fd_; }
  // The size when opened; 0 for a file that did not open.
  std::uint64_t size() const { return size_; }
  // Its modification time (seconds since the epoch) when opened.
  std::int64_t mtime() const { return mtime_; }
  // Reads up to n bytes at `offset`; returns how many were read (short only
  // at the end of the file or on an error). The first kHeadBytes are read
  // once, at the first read that lies within them, and kept: the readers
  // that look at a file one after another (the JPEG check, the format
  // detection, the box readers) share that one read. Not for two threads
  // at once.
  std::size_t ReadAt(std::uint64_t offset, void* out, std::size_t n) const;
  static constexpr std::size_t kHeadBytes = 4096;

 private:
  std::size_t ReadFromFile(std::uint64_t offset, void* out, std::size_t n) const;
  bool HoldHead() const;

  const Env& env_;
  int fd_ = -1;
  bool owned_ = true;
  std::uint64_t size_ = 0;
  std::int64_t mtime_ = 0;
  mutable std::unique_ptr<unsigned char[]> head_;
  mutable std::size_t headSize_ = 0;  // all of the head, or the whole file when shorter
  mutable bool headHeld_ = false;
};

}  // namespace pictray::fs
