#include "erasekit/trash.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>

namespace erasekit {
namespace {

constexpr int kMaxNameTries = 1000;

std::string Errno(int e) { return std::strerror(e); }

// The parent folder part of an absolute path ("/" for "/x").
std::string Parent(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string HomeTrash() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && data[0] == '/') return Join(data, "Trash");
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return Join(home, ".local/share/Trash");
  return "";
}

// Every byte but the unreserved ones and "/" as %XX.
std::string PercentEncode(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    if (plain || (c != 0 && std::strchr("-._~/", c))) {
      out.push_back(static_cast<char>(c));
    } else {
      out += '%';
      out.push_back(digits[c >> 4]);
      out.push_back(digits[c & 15]);
    }
  }
  return out;
}

// A folder of ours: exists (made 0700 when missing), is no link, and belongs
// to this user. Returns 0 or an errno.
int OwnFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return errno;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return errno;
  if (!S_ISDIR(st.st_mode)) return ENOTDIR;
  return st.st_uid == ::getuid() ? 0 : EPERM;
}

// Makes `path` and its missing parents, 0700 each. Returns 0 or an errno.
int MakeFolders(const std::string& path) {
  for (std::size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1))
    if (::mkdir(path.substr(0, at).c_str(), 0700) != 0 && errno != EEXIST) return errno;
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return errno;
  return 0;
}

// A usable trash folder: `top` with files/ and info/ in it, on file system
// `dev`. Returns 0 or an errno.
int ReadyTrash(const std::string& top, dev_t dev) {
  for (const char* sub : {"files", "info"})
    if (const int e = OwnFolder(Join(top, sub)); e != 0) return e;
  struct stat st {};
  if (::lstat(Join(top, "files").c_str(), &st) != 0) return errno;
  return st.st_dev == dev ? 0 : EXDEV;
}

// The mount point of the file system `dev` that holds the folder `folder`.
std::string MountTop(std::string folder, dev_t dev) {
  while (folder != "/") {
    struct stat st {};
    const std::string up = Parent(folder);
    if (::lstat(up.c_str(), &st) != 0 || st.st_dev != dev) break;
    folder = up;
  }
  return folder;
}

// The trash folder of the mount `topdir`: $topdir/.Trash/$uid when the
// administrator made a sticky .Trash there, else $topdir/.Trash-$uid.
std::optional<std::string> TopdirTrash(const std::string& topdir, dev_t dev) {
  const std::string uid = std::to_string(::getuid());
  const std::string shared = Join(topdir, ".Trash");
  struct stat st {};
  if (::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
    const std::string mine = Join(shared, uid);
    if (OwnFolder(mine) == 0 && ReadyTrash(mine, dev) == 0) return mine;
  }
  const std::string own = Join(topdir, ".Trash-" + uid);
  if (OwnFolder(own) == 0 && ReadyTrash(own, dev) == 0) return own;
  return std::nullopt;
}

std::string DeletionDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local {};
  char text[32] = "";
  if (!::localtime_r(&now, &local) || std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local) == 0)
    return "";
  return text;
}

// Writes all of `text` to the new file `fd` and closes it. Returns 0 or an errno.
int WriteAndClose(int fd, const std::string& text) {
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int e = n < 0 ? errno : EIO;
      ::close(fd);
      return e;
    }
    done += static_cast<std::size_t>(n);
  }
  return ::close(fd) == 0 ? 0 : errno;
}

// Moves `full` into the trash folder `trash` under its name, or under
// name.2, name.3 ... when that is taken; the info file is made first and
// claims the name. `infoPath` is the Path value. Returns "" or why not.
std::string MoveInto(const std::string& full, const std::string& trash, const std::string& infoPath) {
  const std::string name = full.substr(full.rfind('/') + 1);
  const std::string info =
      "[Trash Info]\nPath=" + PercentEncode(infoPath) + "\nDeletionDate=" + DeletionDate() + "\n";
  for (int n = 1; n <= kMaxNameTries; ++n) {
    const std::string trashName = n == 1 ? name : name + "." + std::to_string(n);
    const std::string infoFile = Join(trash, "info/" + trashName + ".trashinfo");
    const int fd = ::open(infoFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return "cannot write " + infoFile + ": " + Errno(errno);
    if (const int e = WriteAndClose(fd, info); e != 0) {
      ::unlink(infoFile.c_str());
      return "cannot write " + infoFile + ": " + Errno(e);
    }
    const std::string target = Join(trash, "files/" + trashName);
    if (::renameat2(AT_FDCWD, full.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return "";
    const int e = errno;
    if (::unlink(infoFile.c_str()) != 0)
      return "cannot move " + full + " to " + target + " (" + Errno(e) + "), and " + infoFile + " is left";
    if (e != EEXIST) return "cannot move " + full + " to " + target + ": " + Errno(e);
  }
  return "no free name for " + name + " in " + trash;
}

}  // namespace

std::string MoveToTrash(const std::string& path) {
  std::string given = path;
  while (given.size() > 1 && given.back() == '/') given.pop_back();
  const std::size_t slash = given.rfind('/');
  const std::string name = slash == std::string::npos ? given : given.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return path + " names no file or folder of its own";
  // The parent without links, dots or a relative start, as the info file needs it.
  const std::string parentGiven =
      slash == std::string::npos ? "." : (slash == 0 ? "/" : given.substr(0, slash));
  char* resolved = ::realpath(parentGiven.c_str(), nullptr);
  if (!resolved) return "cannot resolve the folder of " + path + ": " + Errno(errno);
  const std::string parent = resolved;
  std::free(resolved);
  const std::string full = Join(parent, name);

  struct stat st {}, up {};
  if (::lstat(full.c_str(), &st) != 0) return "cannot examine " + full + ": " + Errno(errno);
  if (::lstat(parent.c_str(), &up) != 0) return "cannot examine " + parent + ": " + Errno(errno);
  if (up.st_dev != st.st_dev) return full + " is a mount point";

  const std::string home = HomeTrash();
  if (!home.empty() && MakeFolders(home) == 0 && ReadyTrash(home, st.st_dev) == 0)
    return MoveInto(full, home, full);
  const std::string topdir = MountTop(parent, st.st_dev);
  if (const std::optional<std::string> trash = TopdirTrash(topdir, st.st_dev)) {
    const std::string relative = topdir == "/" ? full.substr(1) : full.substr(topdir.size() + 1);
    return MoveInto(full, *trash, relative);
  }
  return "no trash folder on the file system of " + full + " can be used (" +
         (home.empty() ? std::string("no home trash") : home) + " is on another one and " + topdir +
         " has no usable .Trash); it is left as it is";
}

}  // namespace erasekit
