#include "engine/fs/read_hint.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "engine/fs/unique_fd.h"

namespace pictray {

void HintWillRead(const fs::Env& env, const std::string& path, std::uint64_t head, std::uint64_t tail) {
  // O_NONBLOCK: a FIFO named like a picture must not stall the run.
  const UniqueFd fd(env, env.Open(AT_FDCWD, path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat st {};
  if (fd.get() < 0 || env.Fstat(fd.get(), st) != 0 || !S_ISREG(st.st_mode)) return;
  const auto size = static_cast<std::uint64_t>(st.st_size);
  if ((head == 0 && tail == 0) || head + tail >= size) {
    env.Fadvise(fd.get(), 0, 0, POSIX_FADV_WILLNEED);
    return;
  }
  if (head > 0) env.Fadvise(fd.get(), 0, static_cast<off_t>(head), POSIX_FADV_WILLNEED);
  if (tail > 0) env.Fadvise(fd.get(), static_cast<off_t>(size - tail), static_cast<off_t>(tail), POSIX_FADV_WILLNEED);
}

}  // namespace pictray
