#include "thumbkit/png_read.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

#include <png.h>

#include "thumbkit/pixel_rows.h"

namespace thumbkit {
namespace {

// Chunks libpng keeps are read whole; none of them above this many bytes is
// worth the memory for a thumbnail.
constexpr png_alloc_size_t kMaxChunkBytes = 8u << 20;
// The library's own rows (the current and the previous one, filtered): at
// most 8 bytes a pixel and the filter byte.
constexpr std::uint64_t kLibraryRowBytes = 2 * 8;

[[noreturn]] void ErrorExit(png_structp png, png_const_charp) { png_longjmp(png, 1); }
// Nothing would show the library's messages.
void IgnoreWarning(png_structp, png_const_charp) {}

// The file read forward through a buffer: libpng asks for a few bytes at a
// time (a chunk's length and type, its CRC), a read call each unbuffered.
struct Source {
  static constexpr std::size_t kChunk = 64 * 1024;
  const pictray::fs::ReadOnlyFile* file = nullptr;
  std::uint64_t next = 0;  // where the next chunk starts in the file
  std::vector<png_byte> buffer;
  std::size_t at = 0, end = 0;
};

// The end of the file, or an error, before the bytes asked for is a
// library error.
void ReadFromSource(png_structp png, png_bytep out, std::size_t n) {
  auto* src = static_cast<Source*>(png_get_io_ptr(png));
  while (n > 0) {
    if (src->at == src->end) {
      src->end = src->file->ReadAt(src->next, src->buffer.data(), src->buffer.size());
      src->at = 0;
      src->next += src->end;
      if (src->end == 0) png_error(png, "file ends early");
    }
    const std::size_t k = std::min(n, src->end - src->at);
    std::memcpy(out, src->buffer.data() + src->at, k);
    src->at += k;
    out += k;
    n -= k;
  }
}

class Reader {
 public:
  explicit Reader(const BudgetCalls& budget) : budget_(budget) {}
  ~Reader() {
    if (png_) png_destroy_read_struct(&png_, &info_, nullptr);
    rows_ = {};
    picture_ = {};
    if (held_) budget_.release(budget_.ctx, held_);
  }
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  Streamed Read(const pictray::fs::ReadOnlyFile& f, RowSink& sink) {
    source_.file = &f;
    if (!f.ok() || !Reserve(source_.buffer, Source::kChunk)) return Streamed::kFailed;
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorExit, IgnoreWarning);
    if (!png_) return Streamed::kFailed;
    info_ = png_create_info_struct(png_);
    if (!info_) return Streamed::kFailed;
    if (setjmp(png_jmpbuf(png_))) return Streamed::kFailed;
    png_set_chunk_malloc_max(png_, kMaxChunkBytes);
    // The drawing needs no ancillary chunk but the transparency; the limit
    // above only warns of a text chunk, which libpng then allocates as
    // claimed. Skipped chunks are read through a small buffer.
    png_set_keep_unknown_chunks(png_, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_set_read_fn(png_, &source_, ReadFromSource);
    png_read_info(png_, info_);
    return Decode(sink);
  }

 private:
  // After the header. No C++ object with a destructor lives here: a
  // library error jumps straight out of this function.
  Streamed Decode(RowSink& sink) {
    w_ = png_get_image_width(png_, info_);
    h_ = png_get_image_height(png_, info_);
    if (std::uint64_t(w_) * h_ > kMaxStreamedPixels) return Streamed::kFailed;
    // Everything becomes 8-bit B,G,R,A; files without transparency get an
    // opaque alpha so that one loop composites all of them.
    png_set_expand(png_);
    png_set_scale_16(png_);
    png_set_gray_to_rgb(png_);
    png_set_bgr(png_);
    const png_byte type = png_get_color_type(png_, info_);
    if (!(type & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png_, info_, PNG_INFO_tRNS))
      png_set_filler(png_, 0xff, PNG_FILLER_AFTER);
    const bool interlaced = png_get_interlace_type(png_, info_) != PNG_INTERLACE_NONE;
    png_read_update_info(png_, info_);
    if (png_get_rowbytes(png_, info_) != std::size_t(w_) * 4) return Streamed::kFailed;
    const std::uint64_t picture = interlaced ? std::uint64_t(w_) * 3 * h_ : 0;
    if (!Hold(std::uint64_t(w_) * (4 + 3 + kLibraryRowBytes) + picture) || !Reserve(rows_, std::size_t(w_) * 4) ||
        !Reserve(bgr_, std::size_t(w_) * 3) || !Reserve(picture_, picture))
      return Streamed::kFailed;
    sink.Begin(w_, h_);
    if (interlaced) ReadPasses();
    for (png_uint_32 y = 0; y < h_; ++y) {
      const std::uint8_t* row = interlaced ? picture_.data() + std::size_t(y) * w_ * 3 : NextRow();
      if (!sink.Row(y, row)) return Streamed::kStopped;
    }
    png_read_end(png_, nullptr);
    return Streamed::kRead;
  }

  bool Hold(std::uint64_t bytes) {
    if (!budget_.acquire(budget_.ctx, bytes)) return false;
    held_ = bytes;
    return true;
  }

  // The next row of a plain file, over white.
  const std::uint8_t* NextRow() {
    png_read_row(png_, rows_.data(), nullptr);
    ToBgrOverWhite(rows_.data(), {4, 2, 1, 0, 3}, bgr_.data(), w_);
    return bgr_.data();
  }

  // Every pass of an interlaced file brings each of its pixels once and
  // for good: each goes over white straight to its place in the picture.
  void ReadPasses() {
    for (int pass = 0; pass < 7; ++pass) {
      const png_uint_32 cols = PNG_PASS_COLS(w_, pass), rows = PNG_PASS_ROWS(h_, pass);
      if (cols == 0 || rows == 0) continue;
      for (png_uint_32 j = 0; j < rows; ++j) {
        png_read_row(png_, rows_.data(), nullptr);
        ToBgrOverWhite(rows_.data(), {4, 2, 1, 0, 3}, bgr_.data(), cols);
        const png_uint_32 y = PNG_ROW_FROM_PASS_ROW(j, pass);
        std::uint8_t* out = picture_.data() + std::size_t(y) * w_ * 3;
        for (png_uint_32 i = 0; i < cols; ++i) {
          const std::uint8_t* in = bgr_.data() + 3 * std::size_t(i);
          std::uint8_t* to = out + 3 * std::size_t(PNG_COL_FROM_PASS_COL(i, pass));
          to[0] = in[0];
          to[1] = in[1];
          to[2] = in[2];
        }
      }
    }
  }

  BudgetCalls budget_;
  std::uint64_t held_ = 0;
  Source source_;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
  png_uint_32 w_ = 0, h_ = 0;
  std::vector<png_byte> rows_, bgr_, picture_;
};

}  // namespace

Streamed StreamPng(const pictray::fs::ReadOnlyFile& f, const BudgetCalls& budget, RowSink& sink) {
  Reader reader(budget);
  return reader.Read(f, sink);
}

}  // namespace thumbkit
