// The folder of the running program, where an uninstalled build keeps its
// thumbnail library and settings.
#pragma once

#include <limits.h>
#include <unistd.h>

#include <string>

namespace pictray::cli {

inline std::string ProgramDir() {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  const std::string p(buf, static_cast<std::size_t>(n));
  return p.substr(0, p.rfind('/'));
}

}  // namespace pictray::cli
