#include "engine/list/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace pictray {

bool ReadFolder(const std::string& folder, std::vector<FolderEntry>* entries, std::string* error) {
  entries->clear();
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) {
    if (error) *error = std::strerror(errno);
    return false;
  }
  const int dfd = ::dirfd(dir);
  errno = 0;
  while (const dirent* e = ::readdir(dir)) {
    const char* n = e->d_name;
    if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
    bool isFolder = e->d_type == DT_DIR;
    if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
      // Links count as what they point to, as a folder listing shows them.
      struct stat st;
      isFolder = ::fstatat(dfd, n, &st, 0) == 0 && S_ISDIR(st.st_mode);
    }
    entries->push_back(FolderEntry{n, isFolder});
    errno = 0;
  }
  const int readErr = errno;
  ::closedir(dir);
  if (readErr != 0) {
    if (error) *error = std::strerror(readErr);
    return false;
  }
  return true;
}

std::string GetFileCount(const std::string& folder, int kind) {
  std::vector<FolderEntry> entries;
  int folders = 0, files = 0;
  if (ReadFolder(folder, &entries, nullptr))
    for (const FolderEntry& e : entries) (e.isFolder ? folders : files)++;
  if (kind == 0) return std::to_string(folders) + "/" + std::to_string(files);
  if (kind == 1) return std::to_string(folders + files);
  return std::to_string(files);
}

}  // namespace pictray
