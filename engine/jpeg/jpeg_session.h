// One libjpeg decompression with its error manager: a fatal error jumps back
// into the caller's setjmp, warnings are noted, nothing is printed. Used by
// the engine's decoders and by the thumbnail library.
#pragma once

#include <csetjmp>
#include <cstdio>
#include <string>

#include <jpeglib.h>

namespace pictray::jpegio {

struct ErrorMgr {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  // Set when the library had to make up data: the file ended, or a marker
  // came before the scan's data did. The picture is then not all there.
  bool cut = false;
};

// Everything the jump back has to clean up. Fields are written between
// setjmp and a possible longjmp, hence volatile.
struct Session {
  jpeg_decompress_struct cinfo;
  ErrorMgr err;
  volatile bool created = false;
  std::FILE* volatile file = nullptr;

  Session();
  // Creates the object and attaches the file; false when it cannot open.
  bool Open(const std::string& path);
  // Destroying also ends a decompression left before its last row.
  void Close();
};

}  // namespace pictray::jpegio
