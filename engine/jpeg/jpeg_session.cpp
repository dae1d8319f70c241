#include "engine/jpeg/jpeg_session.h"

// After jpeglib.h, which it needs: the names of the warning codes.
#include <jerror.h>

#include "engine/jpeg/file_bytes.h"

namespace pictray::jpegio {
namespace {

// Fatal-error hook: never returns to the library.
[[noreturn]] void ErrorExit(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ErrorMgr*>(cinfo->err)->jump, 1); }

// Warnings come with level -1. Nothing shows the library's messages, so
// none is formatted or printed.
void NoteWarning(j_common_ptr cinfo, int level) {
  auto* err = reinterpret_cast<ErrorMgr*>(cinfo->err);
  if (level < 0 && (err->pub.msg_code == JWRN_JPEG_EOF || err->pub.msg_code == JWRN_HIT_MARKER)) err->cut = true;
}

}  // namespace

Session::Session() {
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = ErrorExit;
  err.pub.emit_message = NoteWarning;
}

bool Session::Open(const std::string& path) {
  jpeg_create_decompress(&cinfo);
  created = true;
  file = OpenRegularStream(path);
  if (!file) return false;
  jpeg_stdio_src(&cinfo, file);
  return true;
}

void Session::Close() {
  if (created) jpeg_destroy_decompress(&cinfo);
  created = false;
  if (file) std::fclose(file);
  file = nullptr;
}

}  // namespace pictray::jpegio
