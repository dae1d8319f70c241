// What says that a file is still the one that was examined: same inode,
// size, modification and change time. A same-size rewrite whose modification
// time was put back still moves the change time, which the kernel sets.
#pragma once

#include <sys/stat.h>

#include <cstdint>

namespace pictray {

struct FileIdentity {
  std::uint64_t dev = 0, ino = 0;
  std::int64_t size = 0, mtimeNs = 0, ctimeNs = 0;
  bool operator==(const FileIdentity&) const = default;
};

inline std::int64_t Nanoseconds(const struct timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

inline FileIdentity IdentityOf(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
          static_cast<std::int64_t>(st.st_size), Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim)};
}

inline bool StillTheFileExamined(const struct stat& before, const struct stat& now) {
  return IdentityOf(before) == IdentityOf(now);
}

}  // namespace pictray
