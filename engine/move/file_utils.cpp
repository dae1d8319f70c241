#include "engine/move/file_utils.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "engine/move/safe_move.h"

namespace pictray {
namespace {


bool IsEmptyFolder(const std::string& path) {
  DIR* d = ::opendir(path.c_str());
  if (!d) return false;
  bool empty = true;
  while (const dirent* e = ::readdir(d)) {
    const std::string n = e->d_name;
    if (n != "." && n != "..") {
      empty = false;
      break;
    }
  }
  ::closedir(d);
  return empty;
}

std::string Token(const std::string& text, int k, char separator) {
  if (k < 0 || k > 11) return {};
  std::size_t start = 0;
  for (int i = 0; i < k; ++i) {
    const std::size_t next = text.find(separator, start);
    if (next == std::string::npos) return {};
    start = next + 1;
  }
  const std::size_t end = text.find(separator, start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

void StripTrailingSlashes(std::string& path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
}

}  // namespace

void PathFoldaRemove(std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0) return;
  path.erase(slash);
}

int ShortToLongName(std::string& path) {
  struct stat st;
  return !path.empty() && ::lstat(path.c_str(), &st) == 0 ? 1 : 0;
}

FileDialogSetup FoldaSetting(int mode, const std::string& path, const std::string& programFile) {
  return {mode == 2, IsFolder(path) ? path : programFile,
          {{"exe files {*.exe}", "*.exe"}, {"All files {*.*}", "*.*"}}};
}

FileDialogSetup FoldaSettingT(int mode, const std::string& path) {
  return {mode == 2, IsFolder(path) ? path : std::string(),
          {{"exe files {*.txt}", "*.txt"}, {"All files {*.*}", "*.*"}}};
}

FileDialogSetup FoldaSetting0(int mode, const std::string& editPath) {
  std::string start = editPath;
  if (IsFolder(start) && IsEmptyFolder(start)) PathFoldaRemove(start);
  return {mode == 2, start, {{"exe files {*.exe}", "*.exe"}}};
}

std::string get_Pdata(const std::string& text, int k) { return Token(text, k, ':'); }
std::string get_Pdata2(const std::string& text, int k) { return Token(text, k, '_'); }

std::uint64_t GetFileSizeSub(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  struct stat st;
  const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  ::close(fd);
  return ok ? static_cast<std::uint64_t>(st.st_size) : 0;
}

std::uint64_t GetFileSizeFind(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  return static_cast<std::uint64_t>(st.st_size);
}

int GetLineCount(int clientHeight) { return clientHeight / 12; }

BreakResult BreakFolda(const std::string& folder) {
  BreakResult result;
  std::string path = folder;
  StripTrailingSlashes(path);
  std::string parent = path;
  PathFoldaRemove(parent);
  if (parent == path) {
    ++result.failed;  // no parent to move into
    return result;
  }
  DIR* d = ::opendir(path.c_str());
  if (!d) {
    ++result.failed;
    return result;
  }
  const int parentFd = ::open(parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (parentFd < 0) {
    ::closedir(d);
    ++result.failed;
    return result;
  }
  const int dirFd = ::dirfd(d);
  // Names first: moving entries out while the listing runs may skip some.
  std::vector<std::string> names;
  while (const dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  const MoveOptions plain{/*replaceSame=*/false, /*acrossDevices=*/false};
  for (const std::string& name : names) {
    struct stat st;
    if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      ++result.failed;
      continue;
    }
    if (S_ISDIR(st.st_mode)) continue;
    const MoveStatus s = MoveNoReplace(dirFd, name, parentFd, name, plain);
    if (s.ok()) ++result.moved;
    else if (s.outcome == MoveOutcome::DifferentFileThere) ++result.skipped;
    else ++result.failed;
  }
  ::close(parentFd);
  ::closedir(d);
  return result;
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PathExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace pictray
