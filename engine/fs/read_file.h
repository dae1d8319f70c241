// Reading one of our own files whole (a journal, a colour list): only a
// regular file, and only up to a limit, so that a FIFO cannot hang the
// reader and a link to a device cannot fill the memory.
#pragma once

#include <cerrno>
#include <cstddef>
#include <string>

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

// Says why ReadRegularFile refused: "not a regular file", "larger than N
// bytes", or the system's text for the errno.
std::string ReadRefusalText(int err, std::size_t limit);

}  // namespace pictray
