#include "engine/dupes/kept_check.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "engine/fs/safe_move.h"
#include "engine/fs/unique_fd.h"

namespace pictray::dupes {
namespace {

// Both open files hold the same bytes; `sa` and `sb` are their fstat results.
bool SameOpenContent(const fs::Env& env, const UniqueFd& fa, const struct stat& sa, const UniqueFd& fb, const struct stat& sb) {
  if (!S_ISREG(sa.st_mode) || !S_ISREG(sb.st_mode) || sa.st_size != sb.st_size) return false;
  if (sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino) return true;
  return SameBytes(env, fa.get(), fb.get());
}

UniqueFd OpenForReading(const fs::Env& env, int dirfd, const std::string& name) {
  return UniqueFd(env, env.Open(dirfd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
}

}  // namespace

Check CheckAgainstKept(const fs::Env& env, int dirfd, const std::string& name, const FileIdentity& id,
                       const std::string& keptPath) {
  const UniqueFd copy = OpenForReading(env, dirfd, name);
  struct stat sc {};
  if (copy.get() < 0 || env.Fstat(copy.get(), sc) != 0 || !S_ISREG(sc.st_mode) || IdentityOf(sc) != id)
    return Check::Changed;
  const UniqueFd kept = OpenForReading(env, AT_FDCWD, keptPath);
  struct stat sk {};
  if (kept.get() < 0 || env.Fstat(kept.get(), sk) != 0) return Check::Differs;
  return SameOpenContent(env, copy, sc, kept, sk) ? Check::Verified : Check::Differs;
}

}  // namespace pictray::dupes
