// libexiv2's access to a file, on the one the caller opened: the library's
// own file access would open the path again, past the run's Env.
#pragma once

#include <exiv2/basicio.hpp>

#include <cstdint>
#include <string>

#include "engine/fs/read_only_file.h"

namespace pictray::meta {

// Reads `file` (kept open by the caller) as libexiv2's stdio file would:
// the same positions, end-of-file and mapping; writing is refused.
class FileIo : public Exiv2::BasicIo {
 public:
  FileIo(const fs::ReadOnlyFile& file, std::string path) : file_(file), path_(std::move(path)) {}
  ~FileIo() override;

  int open() override;
  int close() override;
  long write(const Exiv2::byte* data, long wcount) override;
  long write(Exiv2::BasicIo& src) override;
  int putb(Exiv2::byte data) override;
  Exiv2::DataBuf read(long rcount) override;
  long read(Exiv2::byte* buf, long rcount) override;
  int getb() override;
  void transfer(Exiv2::BasicIo& src) override;
  int seek(long offset, Position pos) override;
  Exiv2::byte* mmap(bool isWriteable = false) override;
  int munmap() override;
  long tell() const override { return static_cast<long>(at_); }
  std::size_t size() const override { return static_cast<std::size_t>(file_.size()); }
  bool isopen() const override { return file_.ok(); }
  int error() const override { return 0; }
  bool eof() const override { return eof_; }
  std::string path() const override { return path_; }

 private:
  const fs::ReadOnlyFile& file_;
  std::string path_;
  std::uint64_t at_ = 0;
  bool eof_ = false;
  void* mapped_ = nullptr;
  std::size_t mappedSize_ = 0;
};

}  // namespace pictray::meta
