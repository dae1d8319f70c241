#include "engine/meta/file_io.h"

#include <exiv2/error.hpp>
#include <exiv2/futils.hpp>

#include <sys/mman.h>

#include <cstdio>

namespace pictray::meta {

FileIo::~FileIo() { munmap(); }

int FileIo::open() {
  at_ = 0;
  eof_ = false;
  return file_.ok() ? 0 : 1;
}

int FileIo::close() { return munmap() == 0 ? 0 : 2; }

// The labels only read; nothing is ever written back.
long FileIo::write(const Exiv2::byte*, long) { return 0; }
long FileIo::write(Exiv2::BasicIo&) { return 0; }
int FileIo::putb(Exiv2::byte) { return EOF; }
void FileIo::transfer(Exiv2::BasicIo&) { throw Exiv2::Error(Exiv2::kerImageWriteFailed); }

// As the library's own: a count beyond the file is refused before the
// buffer is made.
Exiv2::DataBuf FileIo::read(long rcount) {
  if (rcount < 0 || static_cast<std::size_t>(rcount) > size()) throw Exiv2::Error(Exiv2::kerInvalidMalloc);
  Exiv2::DataBuf buf(rcount);
  buf.size_ = this->read(buf.pData_, buf.size_);
  return buf;
}

long FileIo::read(Exiv2::byte* buf, long rcount) {
  if (rcount <= 0) return 0;
  const std::size_t want = static_cast<std::size_t>(rcount);
  const std::size_t got = file_.ReadAt(at_, buf, want);
  at_ += got;
  eof_ = got < want;
  return static_cast<long>(got);
}

int FileIo::getb() {
  Exiv2::byte b = 0;
  return this->read(&b, 1) == 1 ? b : EOF;
}

// As fseek: any place from the start on, past the end too; a seek clears
// the end-of-file mark.
int FileIo::seek(long offset, Position pos) {
  const long long from = pos == beg ? 0 : pos == cur ? static_cast<long long>(at_) : static_cast<long long>(size());
  const long long to = from + offset;
  if (to < 0) return 1;
  at_ = static_cast<std::uint64_t>(to);
  eof_ = false;
  return 0;
}

Exiv2::byte* FileIo::mmap(bool isWriteable) {
  if (isWriteable || munmap() != 0) throw Exiv2::Error(Exiv2::kerCallFailed, path_, "read-only", "mmap");
  const std::size_t n = size();
  void* at = file_.env().MapRead(file_.fd(), n);
  if (at == MAP_FAILED) throw Exiv2::Error(Exiv2::kerCallFailed, path_, Exiv2::strError(), "mmap");
  mapped_ = at;
  mappedSize_ = n;
  return static_cast<Exiv2::byte*>(at);
}

int FileIo::munmap() {
  if (!mapped_) return 0;
  const int rc = file_.env().Unmap(mapped_, mappedSize_);
  mapped_ = nullptr;
  mappedSize_ = 0;
  return rc == 0 ? 0 : 1;
}

}  // namespace pictray::meta
