#include "engine/move/move_report.h"

#include <map>

namespace pictray {
namespace {

Said ReasonSaid(MoveFailReason r) {
  switch (r) {
    case MoveFailReason::SourceFolder: return Said::MoveLeftSourceFolder;
    case MoveFailReason::UnsafeTarget: return Said::MoveLeftUnsafeTarget;
    case MoveFailReason::TargetNotFolder: return Said::MoveLeftTargetNotFolder;
    case MoveFailReason::FolderNotCreated: return Said::MoveLeftFolderNotCreated;
    case MoveFailReason::DifferentFileThere: return Said::MoveLeftDifferentFileThere;
    case MoveFailReason::SourceMissing: return Said::MoveLeftSourceMissing;
    case MoveFailReason::SourceChanged: return Said::MoveLeftSourceChanged;
    case MoveFailReason::MoveFailed: return Said::MoveLeftMoveFailed;
    case MoveFailReason::JournalStopped: return Said::MoveLeftJournalStopped;
    case MoveFailReason::SidecarTargetTaken: return Said::MoveLeftSidecarTargetTaken;
  }
  return Said::MoveLeftMoveFailed;
}

}  // namespace

Message MoveFailureMessage(const MoveFailure& f) {
  return Message{Said::NotMoved, {f.name, f.target}, {}, f.err, {Message{ReasonSaid(f.reason)}}};
}

Message MoveEndMessage(const MoveReport& report) {
  Message end{Said::MoveEnd};
  if (report.journalError != 0) {
    end.names = {report.journalPath};
    end.error = report.journalError;
  }
  if (report.failures.empty()) return end;
  std::map<MoveFailReason, long long> byReason;
  for (const MoveFailure& f : report.failures) ++byReason[f.reason];
  end.numbers = {static_cast<long long>(report.failures.size())};
  for (const auto& [reason, count] : byReason) end.items.push_back(Message{ReasonSaid(reason), {}, {count}});
  return end;
}

}  // namespace pictray
