// --undo and --undo-list of both command lines: take back the last run that
// moved files of a folder, or list the runs that can still be taken back.
#pragma once

#include <cstring>
#include <ostream>
#include <string>

#include "engine/journal/tab_fields.h"
#include "engine/fs/paths.h"
#include "engine/fs/read_file.h"
#include "engine/journal/undo.h"
#include "engine/runs/undo_run.h"
#include "texts/texts.h"

namespace pictray::cli {

// Says which journal was passed over and why.
inline JournalRefused TellRefusedJournals(std::ostream& err, const std::string& program) {
  return [&err, program](const std::string& path, int why) {
    err << program << ": the journal " << EscapeField(path)
        << " is passed over: " << ReadRefusalText(why, kJournalReadLimit) << '\n';
  };
}

// "left <where it is> <first name> <why>[ (<system's reason>)]".
inline void PrintLeftLine(std::ostream& out, const std::string& path, const std::string& origin,
                          UndoLeftReason reason, int error, texts::Language language) {
  out << "left\t" << EscapeField(path) << '\t' << EscapeField(origin) << '\t'
      << EscapeField(texts::Words(Message{UndoLeftSaid(reason)}, language))
      << (error != 0 ? std::string(" (") + std::strerror(error) + ")" : "") << '\n';
}

// One line per run of `folder` that can still be taken back, newest first:
// start time, "move" or "extract", files to take back, journal; under it a
// "left" line for each thing the last undo of it left, with why (--undo
// passes over such a run while an older one has something to take back).
// Returns 0.
inline int PrintUndoList(const std::string& journals, const std::string& folder, std::ostream& out,
                         std::ostream& err, const std::string& program, texts::Language language) {
  ForEachJournalOf(pictray::fs::DefaultEnv(), journals, folder,
      [&](const JournalRun& run) {
        if (!run.Undoable()) return true;
        out << RunTimeText(run) << '\t' << (run.kind == JournalRunKind::Move ? "move" : "extract") << '\t'
            << run.ToTakeBack() << '\t' << EscapeField(run.path) << '\n';
        for (const JournalEntry* e : UndoOrder(run))
          if (e->undo == JournalEntry::Undo::Left)
            PrintLeftLine(out, JoinPath(run.folder, e->to),
                          e->kind == JournalEntry::Kind::Folder ? "" : JoinPath(run.folder, e->from),
                          static_cast<UndoLeftReason>(e->leftReason), 0, language);
        return true;
      },
      TellRefusedJournals(err, program));
  return 0;
}

// The command lines' turns of the undo (engine/runs/undo_run.h): no
// question; journals passed over and "nothing to take back" on `err`; then
// "back N" and one line per thing left, "left <where it is> <first name>
// <why>". `*status` becomes 1 unless all went back (or nothing was to).
inline UndoTurns PrintingUndoTurns(const std::string& folder, std::ostream& out, std::ostream& err,
                                   const std::string& program, texts::Language language, int* status) {
  UndoTurns turns;
  turns.passedOver = TellRefusedJournals(err, program);
  turns.nothingToUndo = [&err, program, folder] {
    err << program << ": nothing to take back in " << EscapeField(folder) << '\n';
  };
  turns.ended = [&out, &err, program, language, status](const UndoReport& report) {
    if (report.refused) {
      err << program << ": " << EscapeField(texts::Words(UndoEndMessage(report), language)) << '\n';
      *status = 1;
      return;
    }
    out << "back\t" << report.back << '\n';
    for (const UndoLeft& l : report.left) PrintLeftLine(out, l.path, l.origin, l.reason, l.err, language);
    if (report.error != 0)
      err << program << ": " << EscapeField(texts::Words(UndoEndMessage(report), language)) << '\n';
    *status = report.left.empty() && report.error == 0 ? 0 : 1;
  };
  return turns;
}

}  // namespace pictray::cli
