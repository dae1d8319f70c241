#include "engine/move/journalled_move.h"

#include <fcntl.h>

#include <cerrno>

#include "engine/fs/folder_lock.h"
#include "engine/fs/safe_move.h"
#include "engine/fs/unique_fd.h"

namespace pictray {

int MoveFrame::MakeFolder(long id, const std::string& rel) {
  int journalErr = 0;
  const int e = MakeFolderJournalled(journal_, id, fd_, rel, journalErr);
  if (journalErr != 0) {
    JournalFailed(journalErr);
    return journalErr;
  }
  if (e == 0) made_.push_back({rel});
  return e;
}

void MoveFrame::Arrived(const std::string& rel) {
  for (Made& m : made_)
    if (rel == m.rel || (rel.size() > m.rel.size() && rel.compare(0, m.rel.size(), m.rel) == 0 &&
                         rel[m.rel.size()] == '/'))
      m.used = true;
}

void MoveFrame::JournalFailed(int err) {
  if (journalError_ == 0) journalError_ = err;
}

std::vector<std::string> MoveFrame::RemoveUnused() {
  std::vector<std::string> kept;
  // A folder is made after the one it is in, so the later go first.
  for (auto m = made_.rbegin(); m != made_.rend(); ++m)
    if (m->used || env().Unlinkat(fd_, m->rel.c_str(), AT_REMOVEDIR) != 0) kept.insert(kept.begin(), m->rel);
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
  JournalWriter journal(env);
  if (!setup.dryRun) {
    if ((end.journalError = journal.Create(setup.journalDir, setup.kind, setup.folder)) != 0) {
      end.journalPath = setup.journalDir;
      return end;
    }
    // Copies half-made here by an undo that was killed.
    if (folder.get() >= 0) RemoveStaleMoveTemps(env, folder.get());
  }
  MoveFrame frame(journal, folder.get(), folderError);
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
  end.journalError = frame.journalError();
  if (const int e = journal.Close(); e != 0 && end.journalError == 0) end.journalError = e;
  if (end.journalError != 0) end.journalPath = journal.path();
  return end;
}

}  // namespace pictray
