// One libjpeg decompression with its error manager and the limits every
// decoder shares (the engine's and the thumbnail library's): a fatal error
// jumps back into the caller's setjmp, warnings are noted, nothing is
// printed, and a file that would cost far more than its picture is refused
// as a fatal error.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include <jpeglib.h>

#include "engine/fs/read_only_file.h"

namespace pictray::jpegio {

// Encoders write about ten scans; each scan walks again every block it
// covers, so a file of thousands of tiny scans costs minutes.
inline constexpr int kMaxScans = 1000;
// The scans together may visit each block of the picture this many times
// (a usual progression visits a block four to six times).
inline constexpr std::uint64_t kMaxVisitsPerBlock = 64;
// What the library may hold for the whole picture at once: a multi-scan
// file keeps every coefficient at full size (128 bytes per 8 x 8 block per
// component, whatever scale is decoded). A colour picture without chroma
// subsampling at the full-decode pixel budget (100 million pixels, 600 MB)
// fits; a 24000 x 24000 one (1.7 GB even subsampled) does not.
inline constexpr long kMaxHeldBytes = 768L << 20;

struct ErrorMgr {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  // Set when the data ended (the file, or its end-of-image marker came
  // within a scan): everything after is made up, so nothing further can
  // go wrong in it.
  bool ended = false;
};

// Counts the scans and their blocks as the library reads them.
struct ScanMonitor {
  jpeg_progress_mgr pub;
  int scan = 0;
  std::uint64_t visits = 0;
};

// Reads an open file through its descriptor in large chunks: libjpeg's
// fast entropy decoding wants several KiB buffered, which stdio's 4 KiB
// reads rarely leave it.
struct FileSource {
  jpeg_source_mgr pub;
  const fs::ReadOnlyFile* file = nullptr;
  std::uint64_t offset = 0;
  JOCTET* buffer = nullptr;
  bool startOfFile = true;
  std::size_t chunk = 0;  // the next read's size: small first, then doubling
};

// Everything the jump back has to clean up. Fields are written between
// setjmp and a possible longjmp, hence volatile.
struct Session {
  jpeg_decompress_struct cinfo;
  ErrorMgr err;
  ScanMonitor monitor;
  FileSource source;
  volatile bool created = false;
  const fs::ReadOnlyFile* volatile owned = nullptr;  // the file Open(path) opened

  Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  // Creates the object with the shared limits and attaches the file; false
  // when it cannot open.
  bool Open(const fs::Env& env, const std::string& path);
  // As Open, reading `file` (kept open by the caller). Either way the file
  // is read in 64 KiB chunks.
  bool Open(const fs::ReadOnlyFile& file);
  // As Open, reading `size` bytes at `data` (kept alive by the caller).
  void OpenMemory(const unsigned char* data, std::size_t size);
  // Destroying also ends a decompression left before its last row.
  void Close();

 private:
  void Create();
  bool Attach(const fs::ReadOnlyFile& file);
};

}  // namespace pictray::jpegio
