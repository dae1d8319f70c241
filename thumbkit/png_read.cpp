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

[[noreturn]] void ErrorExit(png_structp png, png_const_charp) { png_longjmp(png, 1); }
// Nothing would show the library's messages.
void IgnoreWarning(png_structp, png_const_charp) {}

class Reader {
 public:
  ~Reader() {
    if (png_) png_destroy_read_struct(&png_, &info_, nullptr);
    if (file_) std::fclose(file_);
  }

  int Read(const std::string& path, pictray::Picture& pic) {
    file_ = pictray::fs::OpenRegularStream(path);
    if (!file_) return 1;
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorExit, IgnoreWarning);
    if (!png_) return 1;
    info_ = png_create_info_struct(png_);
    if (!info_) return 1;
    if (setjmp(png_jmpbuf(png_))) return 1;
    png_set_chunk_malloc_max(png_, kMaxChunkBytes);
    // The drawing needs no ancillary chunk but the transparency; the limit
    // above only warns of a text chunk, which libpng then allocates as
    // claimed. Skipped chunks are read through a small buffer.
    png_set_keep_unknown_chunks(png_, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_init_io(png_, file_);
    png_read_info(png_, info_);
    return Decode(pic);
  }

 private:
  // After the header. No C++ object with a destructor lives here: a
  // library error jumps straight out of this function.
  int Decode(pictray::Picture& pic) {
    const png_uint_32 w = png_get_image_width(png_, info_), h = png_get_image_height(png_, info_);
    if (std::uint64_t(w) * h > pictray::kMaxDecodePixels) return 1;
    // Everything becomes 8-bit B,G,R,A; files without transparency get an
    // opaque alpha so that one loop composites all of them.
    png_set_expand(png_);
    png_set_scale_16(png_);
    png_set_gray_to_rgb(png_);
    png_set_bgr(png_);
    const png_byte type = png_get_color_type(png_, info_);
    if (!(type & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png_, info_, PNG_INFO_tRNS))
      png_set_filler(png_, 0xff, PNG_FILLER_AFTER);
    const int passes = png_set_interlace_handling(png_);
    png_read_update_info(png_, info_);
    if (png_get_rowbytes(png_, info_) != std::size_t(w) * 4) return 1;
    // Each pass of an interlaced file adds pixels to rows it left before:
    // those need all rows kept; a plain file streams through one row.
    const std::size_t kept = passes > 1 ? h : 1;
    if (!Reserve(rows_, kept * w * 4) || !pictray::AllocatePicture(pic, w, h)) return 1;
    for (int pass = 0; pass < passes; ++pass) {
      for (png_uint_32 y = 0; y < h; ++y) {
        png_bytep row = rows_.data() + (passes > 1 ? std::size_t(y) * w * 4 : 0);
        png_read_row(png_, row, nullptr);
        if (pass + 1 < passes) continue;
        std::uint8_t* out = pic.lpBMP() + std::size_t(h - 1 - y) * pic.dwLength;
        for (png_uint_32 x = 0; x < w; ++x, row += 4, out += 3) {
          out[0] = OverWhite(row[0], row[3]);
          out[1] = OverWhite(row[1], row[3]);
          out[2] = OverWhite(row[2], row[3]);
        }
      }
    }
    png_read_end(png_, nullptr);
    return 0;
  }

  std::FILE* file_ = nullptr;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
  std::vector<png_byte> rows_;
};

}  // namespace

int ReadPng(const std::string& path, pictray::Picture& pic) {
  pic.Clear();
  Reader reader;
  const int r = reader.Read(path, pic);
  if (r != 0) pic.Clear();
  return r;
}

}  // namespace thumbkit
