// Reading one of our own files (a journal, a colour list, the settings),
// whole or line by line: only a regular file, and only up to a limit, so
// that a FIFO cannot hang the reader and a link to a device cannot fill the
// memory.
#pragma once

#include <cerrno>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "engine/fs/env.h"

namespace pictray {

// Why a file was refused besides the errno of opening or reading it.
inline constexpr int kNotRegularFile = EINVAL;  // a FIFO, device or socket (a folder: EISDIR)
inline constexpr int kFileTooLarge = EFBIG;     // more than the reader's limit

struct FileContent {
  std::string bytes;
  int err = 0;  // 0, or why nothing was read
};

// The bytes of the regular file at `path`, at most `limit` of them; a link
// is followed only with `followLinks` (else ELOOP).
FileContent ReadRegularFile(const fs::Env& env, const std::string& path, std::size_t limit, bool followLinks = false);

// How a line ended.
enum class LineEnd {
  Feed,     // at a line feed, which is not part of the line
  FileEnd,  // at the end of the bytes, without a line feed
  TooLong,  // past the line limit: its bytes are not kept, the line is empty
};

// Splits bytes given piece by piece into lines. A line that ends within a
// piece is handed over as a view into it; only the start of one that goes
// on into the next piece is kept, and never more than the line limit.
class LineSplitter {
 public:
  // Takes one line; false stops the splitting.
  using OnLine = std::function<bool(std::string_view line, LineEnd end)>;
  explicit LineSplitter(std::size_t lineLimit) : lineLimit_(lineLimit) {}

  // The next piece; false once a line stopped the splitting.
  bool Feed(std::string_view bytes, const OnLine& line);
  // The bytes end: hands over a line left without its line feed.
  bool Finish(const OnLine& line);

 private:
  std::size_t lineLimit_;
  std::string carry_;      // the start of a line that has not ended yet
  bool overlong_ = false;  // the line that has not ended is past the limit
};

// The lines of the regular file at `path`, taken as ReadRegularFile would
// take its bytes, handed to `line` as they are read: the file is never held
// whole. Returns 0, or why the file was refused or could not be read to its
// end; lines before a failure in the middle of the file have been handed
// over by then. A line returning false ends the reading with 0.
int ReadRegularFileLines(const fs::Env& env, const std::string& path, std::size_t limit, std::size_t lineLimit,
                         bool followLinks, const LineSplitter::OnLine& line);

// Says why ReadRegularFile refused: "not a regular file", "larger than N
// bytes", or the system's text for the errno.
std::string ReadRefusalText(int err, std::size_t limit);

}  // namespace pictray
