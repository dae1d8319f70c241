// erasekit PATH: moves PATH (a file or a folder) to the desktop trash.
// PATH is taken as the bytes given, whatever their encoding.
// Exit status 0 when PATH is gone afterwards, 1 with a message otherwise,
// 2 for a wrong command line.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "erasekit/trash.h"

namespace {

bool Gone(const char* path) {
  struct stat st {};
  return ::lstat(path, &st) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '\0') {
    std::fprintf(stderr, "usage: erasekit PATH\n");
    return 2;
  }
  const char* path = argv[1];
  if (Gone(path)) return 0;
  const std::string why = erasekit::MoveToTrash(path);
  if (!why.empty()) {
    std::fprintf(stderr, "erasekit: %s\n", why.c_str());
    return 1;
  }
  if (!Gone(path)) {
    std::fprintf(stderr, "erasekit: %s is still there after moving it to the trash\n", path);
    return 1;
  }
  return 0;
}
