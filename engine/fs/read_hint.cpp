#include "engine/fs/read_hint.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>

#include <algorithm>

namespace pictray {

HintFound HintWillRead(const fs::ReadOnlyFile& file, std::uint64_t head, std::uint64_t tail) {
  if (!file.ok()) return HintFound::Nothing;
  const std::uint64_t size = file.size();
  if (size == 0) return HintFound::Cached;
  const bool whole = (head == 0 && tail == 0) || head + tail >= size;
  // The last wanted byte stands for all of them: the kernel reads a file
  // front to back.
  const std::uint64_t last = whole || tail > 0 ? size - 1 : head - 1;
  char byte = 0;
  const fs::Env& env = file.env();
  if (env.Preadv2(file.fd(), &byte, 1, static_cast<off_t>(last), RWF_NOWAIT) == 1) return HintFound::Cached;
  if (whole) {
    env.Fadvise(file.fd(), 0, 0, POSIX_FADV_WILLNEED);
    return HintFound::Announced;
  }
  if (head > 0) env.Fadvise(file.fd(), 0, static_cast<off_t>(head), POSIX_FADV_WILLNEED);
  if (tail > 0) env.Fadvise(file.fd(), static_cast<off_t>(size - tail), static_cast<off_t>(tail), POSIX_FADV_WILLNEED);
  return HintFound::Announced;
}

HintFound HintWillRead(const fs::Env& env, const std::string& path, std::uint64_t head, std::uint64_t tail) {
  return HintWillRead(fs::ReadOnlyFile(env, path), head, tail);
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
