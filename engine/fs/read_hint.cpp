#include "engine/fs/read_hint.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>

#include <algorithm>

#include "engine/fs/unique_fd.h"

namespace pictray {

HintFound HintWillRead(const fs::Env& env, const std::string& path, std::uint64_t head, std::uint64_t tail) {
  // O_NONBLOCK: a FIFO named like a picture must not stall the run.
  const UniqueFd fd(env, env.Open(AT_FDCWD, path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat st {};
  if (fd.get() < 0 || env.Fstat(fd.get(), st) != 0 || !S_ISREG(st.st_mode)) return HintFound::Nothing;
  const auto size = static_cast<std::uint64_t>(st.st_size);
  if (size == 0) return HintFound::Cached;
  const bool whole = (head == 0 && tail == 0) || head + tail >= size;
  // The last wanted byte stands for all of them: the kernel reads a file
  // front to back.
  const std::uint64_t last = whole || tail > 0 ? size - 1 : head - 1;
  char byte = 0;
  if (env.Preadv2(fd.get(), &byte, 1, static_cast<off_t>(last), RWF_NOWAIT) == 1) return HintFound::Cached;
  if (whole) {
    env.Fadvise(fd.get(), 0, 0, POSIX_FADV_WILLNEED);
    return HintFound::Announced;
  }
  if (head > 0) env.Fadvise(fd.get(), 0, static_cast<off_t>(head), POSIX_FADV_WILLNEED);
  if (tail > 0) env.Fadvise(fd.get(), static_cast<off_t>(size - tail), static_cast<off_t>(tail), POSIX_FADV_WILLNEED);
  return HintFound::Announced;
}

bool HintPacer::Due() {
  if (left_ == 0) return true;
  --left_;
  return false;
}

void HintPacer::Saw(HintFound found) {
  if (found == HintFound::Nothing) return;
  passOver_ = found == HintFound::Cached ? std::min(std::max<std::size_t>(1, passOver_ * 2), kMaxPassed) : 0;
  left_ = passOver_;
}

}  // namespace pictray
