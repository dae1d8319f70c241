// Byte-level file access shared by the JPEG checks and readers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace pictray::jpegio {

// Size from the directory entry; 0 for a missing file or one that is not a
// regular file.
std::uint64_t FileSize(const std::string& path);

// An open, read-only file descriptor closed on destruction. Only regular
// files open: a FIFO or device would block or never end, so it counts as a
// file that cannot be opened.
class ReadFile {
 public:
  explicit ReadFile(const std::string& path);
  ~ReadFile();
  ReadFile(const ReadFile&) = delete;
  ReadFile& operator=(const ReadFile&) = delete;

  bool ok() const { return fd_ >= 0; }
  // Reads up to n bytes at `offset`; returns how many were read (short only
  // at the end of the file or on an error).
  std::size_t ReadAt(std::uint64_t offset, void* out, std::size_t n) const;

 private:
  int fd_ = -1;
};

// The regular file at `path` as a read-only stream, or nullptr (see
// ReadFile for what does not open).
std::FILE* OpenRegularStream(const std::string& path);

}  // namespace pictray::jpegio
