// The fuzzed bytes as a file, for readers that open a path: written into a
// private folder made on the first call and removed at exit.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace pictray::fuzzing {

inline char g_dir[] = "/tmp/pictray-fuzz-XXXXXX";
inline std::string g_file;

inline void RemoveInput() {
  ::unlink(g_file.c_str());
  ::rmdir(g_dir);
}

// The path of the file holding `data`, named `name` (some readers look at
// the extension). Aborts when it cannot be written.
inline const std::string& WriteInput(const std::uint8_t* data, std::size_t size, const char* name) {
  if (g_file.empty()) {
    if (!::mkdtemp(g_dir)) std::abort();
    g_file = std::string(g_dir) + "/" + name;
    std::atexit(RemoveInput);
  }
  std::FILE* f = std::fopen(g_file.c_str(), "wb");
  if (!f) std::abort();
  const bool ok = std::fwrite(data, 1, size, f) == size;
  if (std::fclose(f) != 0 || !ok) std::abort();
  return g_file;
}

}  // namespace pictray::fuzzing
