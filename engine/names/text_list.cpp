#include "engine/names/text_list.h"

#include <sys/stat.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>

#include "engine/move/file_utils.h"

namespace pictray {

std::string SetList(std::vector<std::string>& items, const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  // Lines are kept whole: cutting a long one would invent items.
  for (std::string line; std::getline(in, line);) items.push_back(line);
  std::string folder = path;
  PathFoldaRemove(folder);
  return folder;
}

bool listsave(const std::vector<std::string>& items, const std::string& path) {
  std::string text;
  for (const std::string& item : items) text += item + '\n';
  // The new text goes beside the file first, so the rename replaces it whole.
  const std::size_t slash = path.rfind('/');
  std::string tmp = (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) +
                    "/.listsave-XXXXXX";
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, 0644) == 0;
  for (std::size_t done = 0; ok && done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno != EINTR) ok = false;
    else if (n > 0) done += static_cast<std::size_t>(n);
  }
  ok = ok && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  ok = ok && std::rename(tmp.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(tmp.c_str());
  return ok;
}

}  // namespace pictray
