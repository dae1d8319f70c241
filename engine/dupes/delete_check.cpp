#include "engine/dupes/delete_check.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <set>

#include "engine/dupes/kept_check.h"
#include "engine/fs/unique_fd.h"

namespace pictray::dupes {
namespace {

// The names in the open folder `fd`; false when it cannot be read.
bool Names(const fs::Env& env, int fd, std::vector<std::string>& names) {
  return env.ListFolder(fd, ".", [&](std::string_view n, unsigned char) { names.emplace_back(n); }) == 0;
}

// Everything in the folder `dirFd` (`rel` in the extraction folder `base`,
// "" for itself) that this extraction did not put there: the folder holds
// surplus folders holding the moved copies (`expected`, as "folda/filename",
// whose filename in a tree goes on through the folders of its root).
void FindForeignIn(const fs::Env& env, int dirFd, const std::string& base, const std::string& rel,
                   const std::set<std::string>& expected, std::vector<DeleteProblem>& problems) {
  std::vector<std::string> names;
  if (!Names(env, dirFd, names)) {
    problems.push_back({DeleteProblem::Kind::Unreadable, rel.empty() ? base : base + "/" + rel});
    return;
  }
  for (const std::string& name : names) {
    const std::string inside = rel.empty() ? name : rel + "/" + name;
    const std::string path = base + "/" + inside;
    if (expected.count(inside)) continue;
    // A folder on the way to a copy: what it holds is looked at.
    const auto first = expected.lower_bound(inside + "/");
    if (first == expected.end() || !first->starts_with(inside + "/")) {
      problems.push_back({DeleteProblem::Kind::Foreign, path});
      continue;
    }
    const UniqueFd sub(env, env.Open(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (sub.get() < 0) {
      const bool notAFolder = errno == ENOTDIR || errno == ELOOP;
      problems.push_back({notAFolder ? DeleteProblem::Kind::Foreign : DeleteProblem::Kind::Unreadable, path});
      continue;
    }
    FindForeignIn(env, sub.get(), base, inside, expected, problems);
  }
}

void FindForeign(const fs::Env& env, const std::string& base, const std::set<std::string>& expected,
                 std::vector<DeleteProblem>& problems) {
  const UniqueFd baseFd(env, env.Open(AT_FDCWD, base.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (baseFd.get() < 0) {
    problems.push_back({DeleteProblem::Kind::Unreadable, base});
    return;
  }
  FindForeignIn(env, baseFd.get(), base, "", expected, problems);
}

// A copy of the same picture, or a sidecar, may go while it is still the
// file moved; the copy only while its kept picture is still as grouped.
Check CheckMoved(const fs::Env& env, const MovedFile& m, const SamePictureFn& samePicture) {
  if (m.kind == MovedFile::Kind::Copy) return CheckAgainstKept(env, AT_FDCWD, m.to, m.identity, m.keptPath);
  struct stat st {};
  const auto as = [&](const std::string& path, const FileIdentity& id) {
    return env.Fstatat(AT_FDCWD, path.c_str(), st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
           IdentityOf(st) == id;
  };
  if (!as(m.to, m.identity)) return Check::Changed;
  if (m.kind == MovedFile::Kind::Sidecar) return Check::Verified;
  if (!as(m.keptPath, m.keptIdentity)) return Check::Differs;
  // The same picture by its bytes now, not by what was measured before.
  return samePicture && samePicture(m.keptPath, m.to) ? Check::Verified : Check::Differs;
}

}  // namespace

std::vector<DeleteProblem> CheckBeforeDelete(const fs::Env& env, const std::string& samedir, const std::vector<MovedFile>& moved,
                                             AbortFlag abort, const SamePictureFn& samePicture) {
  std::vector<DeleteProblem> problems;
  std::string base = samedir;
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  struct stat st {};
  if (env.Fstatat(AT_FDCWD, base.c_str(), st, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT) return problems;

  // Relative to base: folda/filename.
  std::set<std::string> expected;
  for (const MovedFile& m : moved)
    if (m.to.size() > base.size() + 1 && m.to.compare(0, base.size() + 1, base + "/") == 0)
      expected.insert(m.to.substr(base.size() + 1));
  FindForeign(env, base, expected, problems);

  for (const MovedFile& m : moved) {
    if (Aborted(abort)) {
      problems.push_back({DeleteProblem::Kind::NotExamined, m.to});
      continue;
    }
    // A copy taken out of the folder again leaves nothing there to lose.
    if (env.Fstatat(AT_FDCWD, m.to.c_str(), st, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno != ENOENT) problems.push_back({DeleteProblem::Kind::Unreadable, m.to});
      continue;
    }
    switch (CheckMoved(env, m, samePicture)) {
      case Check::Verified: break;
      case Check::Changed: problems.push_back({DeleteProblem::Kind::Changed, m.to}); break;
      case Check::Differs: problems.push_back({DeleteProblem::Kind::KeptDiffers, m.to}); break;
    }
  }
  return problems;
}

}  // namespace pictray::dupes
