// Byte-level file access shared by the JPEG checks and readers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pictray::jpegio {

// Size from the directory entry; 0 for a missing file or one that is not a
// regular file.
std::uint64_t FileSize(const std::string& path);

// An open, read-only file descriptor closed on destruction.
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

}  // namespace pictray::jpegio
