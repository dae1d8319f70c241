#include "engine/jpeg/jpeg_session.h"

#include <algorithm>

// After jpeglib.h, which it needs: the names of the warning codes.
#include <jerror.h>

#include "engine/fs/read_only_file.h"

namespace pictray::jpegio {
namespace {

// Fatal-error hook: never returns to the library.
[[noreturn]] void ErrorExit(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ErrorMgr*>(cinfo->err)->jump, 1); }

// Warnings come with level -1. Nothing shows the library's messages, so
// none is formatted or printed.
void NoteWarning(j_common_ptr cinfo, int level) {
  auto* err = reinterpret_cast<ErrorMgr*>(cinfo->err);
  if (level >= 0) return;
  const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (err->pub.msg_code == JWRN_JPEG_EOF || (err->pub.msg_code == JWRN_HIT_MARKER && d->unread_marker == JPEG_EOI))
    err->ended = true;
}

std::uint64_t Blocks(const jpeg_component_info& c) { return std::uint64_t(c.width_in_blocks) * c.height_in_blocks; }

// Called before each step of the input (a row of blocks, a marker), so a
// new scan is seen before its data is decoded.
void CountScans(j_common_ptr common) {
  auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
  auto* m = reinterpret_cast<ScanMonitor*>(cinfo->progress);
  if (cinfo->input_scan_number == m->scan) return;
  m->scan = cinfo->input_scan_number;
  if (m->scan > kMaxScans) ERREXIT(cinfo, JERR_BAD_SCAN_SCRIPT);
  std::uint64_t picture = 0;
  for (int c = 0; c < cinfo->num_components; ++c) picture += Blocks(cinfo->comp_info[c]);
  for (int c = 0; c < cinfo->comps_in_scan; ++c) m->visits += Blocks(*cinfo->cur_comp_info[c]);
  if (m->visits > kMaxVisitsPerBlock * picture) ERREXIT(cinfo, JERR_BAD_SCAN_SCRIPT);
}

constexpr std::size_t kSourceChunk = 64 * 1024;
// A header (the size, the checks) lies in the first few KiB: the first read
// takes this much, each further one twice the last, up to kSourceChunk.
constexpr std::size_t kFirstChunk = 4 * 1024;

void StartSource(j_decompress_ptr) {}
void EndSource(j_decompress_ptr) {}

// As libjpeg's stdio source does: an empty file is a fatal error, the end
// of a file a warning followed by a made-up end-of-image marker.
boolean FillFromFile(j_decompress_ptr cinfo) {
  auto* src = reinterpret_cast<FileSource*>(cinfo->src);
  const std::size_t got = src->file->ReadAt(src->offset, src->buffer, src->chunk);
  src->chunk = std::min(src->chunk * 2, kSourceChunk);
  if (got == 0) {
    if (src->startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->buffer[0] = 0xFF;
    src->buffer[1] = JPEG_EOI;
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = 2;
    return TRUE;
  }
  src->offset += got;
  src->startOfFile = false;
  src->pub.next_input_byte = src->buffer;
  src->pub.bytes_in_buffer = got;
  return TRUE;
}

// Skips through the chunks as the stdio source does, so a skip past the
// end meets the same made-up marker; a skip within the file (a thumbnail
// in the Exif) is not read.
void SkipInFile(j_decompress_ptr cinfo, long n) {
  jpeg_source_mgr* src = cinfo->src;
  if (n <= 0) return;
  auto* file = reinterpret_cast<FileSource*>(cinfo->src);
  if (const std::uint64_t beyond = static_cast<std::uint64_t>(n) - src->bytes_in_buffer;
      n > static_cast<long>(src->bytes_in_buffer) && !file->startOfFile && beyond < file->file->size() - file->offset) {
    file->offset += beyond;
    src->bytes_in_buffer = 0;
    return;
  }
  while (n > static_cast<long>(src->bytes_in_buffer)) {
    n -= static_cast<long>(src->bytes_in_buffer);
    FillFromFile(cinfo);
  }
  src->next_input_byte += n;
  src->bytes_in_buffer -= static_cast<std::size_t>(n);
}

}  // namespace

Session::Session() {
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = ErrorExit;
  err.pub.emit_message = NoteWarning;
  monitor.pub.progress_monitor = CountScans;
}

void Session::Create() {
  jpeg_create_decompress(&cinfo);
  created = true;
  // Without a backing store, whole-picture buffers beyond this are a
  // fatal error before they are allocated.
  cinfo.mem->max_memory_to_use = kMaxHeldBytes;
  cinfo.progress = &monitor.pub;
}

void Session::OpenMemory(const unsigned char* data, std::size_t size) {
  Create();
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
}

bool Session::Open(const fs::ReadOnlyFile& f) {
  Create();
  return Attach(f);
}

bool Session::Open(const fs::Env& env, const std::string& path) {
  Create();
  owned = new fs::ReadOnlyFile(env, path);
  return Attach(*owned);
}

bool Session::Attach(const fs::ReadOnlyFile& f) {
  if (!f.ok()) return false;
  source.file = &f;
  source.offset = 0;
  source.startOfFile = true;
  source.chunk = kFirstChunk;
  source.buffer = static_cast<JOCTET*>((*cinfo.mem->alloc_small)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                                 JPOOL_PERMANENT, kSourceChunk));
  source.pub.init_source = StartSource;
  source.pub.fill_input_buffer = FillFromFile;
  source.pub.skip_input_data = SkipInFile;
  source.pub.resync_to_restart = jpeg_resync_to_restart;
  source.pub.term_source = EndSource;
  source.pub.bytes_in_buffer = 0;
  source.pub.next_input_byte = nullptr;
  cinfo.src = &source.pub;
  return true;
}

void Session::Close() {
  if (created) jpeg_destroy_decompress(&cinfo);
  created = false;
  delete owned;
  owned = nullptr;
}

}  // namespace pictray::jpegio
