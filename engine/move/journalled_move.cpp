#include "engine/move/journalled_move.h"

#include <fcntl.h>

#include <cerrno>

#include "engine/fs/folder_lock.h"
#include "engine/fs/safe_move.h"
#include "engine/fs/unique_fd.h"

namespace pictray {

int MoveFrame::MakeFolder(long id, const std::string& rel, std::uint32_t root) {
  int journalErr = 0;
  const int e = MakeFolderJournalled(journal_, id, rootFds_[root], rel, journalErr, root);
  if (journalErr != 0) {
    JournalFailed(journalErr);
    return journalErr;
  }
  if (e == 0) made_.push_back({rel, root});
  return e;
}

void MoveFrame::Arrived(const std::string& rel, std::uint32_t root) {
  for (Made& m : made_)
    if (m.root == root && (rel == m.rel || (rel.size() > m.rel.size() && rel.compare(0, m.rel.size(), m.rel) == 0 &&
                                            rel[m.rel.size()] == '/')))
      m.used = true;
}

void MoveFrame::JournalFailed(int err) {
  if (journalError_ == 0) journalError_ = err;
}

std::vector<std::string> MoveFrame::RemoveUnused(std::uint32_t root) {
  std::vector<std::string> kept;
  // A folder is made after the one it is in, so the later go first.
  for (auto m = made_.rbegin(); m != made_.rend(); ++m) {
    if (m->root != root) continue;
    if (m->used || (!m->removed && env().Unlinkat(rootFds_[root], m->rel.c_str(), AT_REMOVEDIR) != 0))
      kept.insert(kept.begin(), m->rel);
    else
      m->removed = true;
  }
  return kept;
}

MoveEnd RunJournalledMove(const fs::Env& env, const MoveSetup& setup, MoveSteps& steps) {
  MoveEnd end;
  FolderLock lock;
  if (!setup.dryRun) {
    const int e = lock.TryLock(env, setup.folder);
    if (e == EWOULDBLOCK || (e != 0 && setup.folderNeeded)) {
      end.refusal = e;
      return end;
    }
  }
  const UniqueFd folder(env, env.Open(AT_FDCWD, setup.folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  const int folderError = folder.get() < 0 ? errno : 0;
  if (folderError != 0 && setup.folderNeeded) {
    end.refusal = folderError;
    return end;
  }
  // The other roots, each needed as the first is.
  std::vector<FolderLock> locks(setup.moreFolders.size());
  std::vector<UniqueFd> more;
  std::vector<int> moreFds;
  for (std::size_t i = 0; i < setup.moreFolders.size(); ++i) {
    if (!setup.dryRun)
      if (const int e = locks[i].TryLock(env, setup.moreFolders[i]); e != 0) {
        end.refusal = e;
        return end;
      }
    more.emplace_back(env, env.Open(AT_FDCWD, setup.moreFolders[i].c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (more.back().get() < 0) {
      end.refusal = errno;
      return end;
    }
    moreFds.push_back(more.back().get());
  }
  JournalWriter journal(env);
  if (!setup.dryRun) {
    if ((end.journalError = journal.Create(setup.journalDir, setup.kind, setup.folder, setup.moreFolders)) != 0) {
      end.journalPath = setup.journalDir;
      return end;
    }
    // Copies half-made here by an undo that was killed.
    if (folder.get() >= 0) RemoveStaleMoveTemps(env, folder.get());
    for (const int fd : moreFds) RemoveStaleMoveTemps(env, fd);
  }
  MoveFrame frame(journal, folder.get(), folderError, moreFds);
  end.ran = true;
  steps.Begin(frame);
  MoveStop why = MoveStop::Done;
  std::size_t i = 0;
  for (; i < steps.Count(); ++i) {
    if (steps.Aborted()) {
      why = MoveStop::Aborted;
      break;
    }
    if (frame.journalError() != 0 || !steps.Take(i, frame)) {
      why = MoveStop::Journal;
      break;
    }
  }
  if (why == MoveStop::Done && frame.journalError() != 0) why = MoveStop::Journal;
  end.aborted = why == MoveStop::Aborted;
  steps.Stopped(i, why, frame);
  end.foldersKept = frame.RemoveUnused();
  for (std::size_t i = 0; i < setup.moreFolders.size(); ++i)
    end.foldersKeptOf.push_back(frame.RemoveUnused(static_cast<std::uint32_t>(i + 1)));
  end.journalError = frame.journalError();
  if (const int e = journal.Close(); e != 0 && end.journalError == 0) end.journalError = e;
  if (end.journalError != 0) end.journalPath = journal.path();
  return end;
}

}  // namespace pictray
