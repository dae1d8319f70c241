#include "thumbkit/png_read.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <png.h>

#include "engine/fs/read_only_file.h"
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

class Reader {
 public:
  explicit Reader(const BudgetCalls& budget) : budget_(budget) {}
  ~Reader() {
    if (png_) png_destroy_read_struct(&png_, &info_, nullptr);
    if (file_) std::fclose(file_);
    rows_ = {};
    picture_ = {};
    if (held_) budget_.release(budget_.ctx, held_);
  }
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  Streamed Read(const std::string& path, RowSink& sink) {
    file_ = pictray::fs::OpenRegularStream(pictray::fs::DefaultEnv(), path);
    if (!file_) return Streamed::kFailed;
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
    png_init_io(png_, file_);
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
  std::FILE* file_ = nullptr;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
  png_uint_32 w_ = 0, h_ = 0;
  std::vector<png_byte> rows_, bgr_, picture_;
};

}  // namespace

Streamed StreamPng(const std::string& path, const BudgetCalls& budget, RowSink& sink) {
  Reader reader(budget);
  return reader.Read(path, sink);
}

}  // namespace thumbkit
