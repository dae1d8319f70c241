#include <algorithm>
#include <cerrno>
#include <unordered_map>

#include "engine/fs/paths.h"
#include "engine/fs/read_file.h"
#include "engine/fs/safe_move.h"
#include "engine/journal/journal.h"
#include "engine/journal/journal_format.h"

namespace pictray {
namespace {

// How deep a record's names may go: a move takes a file of the folder into
// a folder made in it (up to three levels deep), an extraction into a
// folder of the folder it makes. A tree's names go as deep as a path can
// (PATH_MAX), never above their root.
constexpr int kTreeDepth = PATH_MAX / 2;

bool NamesInside(const JournalEntry& e, const JournalRun& run) {
  const JournalRunKind kind = run.kind;
  if (e.root >= run.roots.size()) return false;
  if (kind == JournalRunKind::ExtractTree)
    return e.kind == JournalEntry::Kind::Folder ? IsPathInside(e.to, kTreeDepth)
                                                : IsPathInside(e.from, kTreeDepth) && IsPathInside(e.to, kTreeDepth);
  const int folderDepth = kind == JournalRunKind::Move ? kMaxMoveFolderDepth : 2;
  if (e.kind == JournalEntry::Kind::Folder) return IsPathInside(e.to, folderDepth);
  return IsPathInside(e.from, 1) && IsPathInside(e.to, folderDepth + 1);
}

bool Stamp(const std::vector<std::string>& f, std::size_t at, FileIdentity& s) {
  return f.size() >= at + 5 && ParseNumber(f[at], s.dev) && ParseNumber(f[at + 1], s.ino) &&
         ParseNumber(f[at + 2], s.size) && ParseNumber(f[at + 3], s.mtimeNs) && ParseNumber(f[at + 4], s.ctimeNs);
}

void ApplyRecord(const std::vector<std::string>& f, JournalRun& run,
                 std::unordered_map<long, std::size_t>& byId) {
  const std::string& tag = f[0];
  long id = 0;
  if (tag == "U") {
    ++run.undos;
    return;
  }
  if (f.size() < 2 || !ParseNumber(f[1], id)) {
    ++run.badLines;
    return;
  }
  if (tag == "R" && f.size() == 3) {
    // Roots are told in order, right after the header.
    if (run.kind != JournalRunKind::ExtractTree || static_cast<std::size_t>(id) != run.roots.size() || f[2].empty() ||
        f[2][0] != '/')
      ++run.badLines;
    else
      run.roots.push_back(f[2]);
    return;
  }
  // A tree's records name their root when it is not the first.
  if (tag == "D" && (f.size() == 3 || f.size() == 4)) {
    JournalEntry e;
    e.kind = JournalEntry::Kind::Folder;
    e.id = id;
    e.to = f[2];
    if (f.size() == 4 && !ParseNumber(f[3], e.root)) {
      ++run.badLines;
      return;
    }
    e.unsafe = !NamesInside(e, run);
    byId[id] = run.entries.size();
    run.entries.push_back(std::move(e));
    return;
  }
  // Journals of older runs have no mode.
  if (tag == "M" && f.size() >= 9 && f.size() <= 11) {
    JournalEntry e;
    e.id = id;
    e.from = f[2];
    e.to = f[3];
    if (!Stamp(f, 4, e.before) || (f.size() >= 10 && !ParseNumber(f[9], e.mode)) ||
        (f.size() == 11 && !ParseNumber(f[10], e.root))) {
      ++run.badLines;
      return;
    }
    e.unsafe = !NamesInside(e, run);
    byId[id] = run.entries.size();
    run.entries.push_back(std::move(e));
    return;
  }
  const auto it = byId.find(id);
  if (it == byId.end()) {
    ++run.badLines;
    return;
  }
  JournalEntry& e = run.entries[it->second];
  if (tag == "OK") {
    e.state = JournalEntry::State::Done;
    if (f.size() == 8 || f.size() == 12) {
      Stamp(f, 2, e.after);
      e.replaced = f[7] == "1";
    }
    // Journals of older runs have no look at the replaced file.
    if (f.size() == 12) {
      e.replacedKnown = ParseNumber(f[8], e.replacedMode) && ParseNumber(f[9], e.replacedAtimeNs) &&
                        ParseNumber(f[10], e.replacedMtimeNs);
      // Only a hidden name of a move beside the destination is the undo's to rename.
      const std::string beside = e.to.substr(0, e.to.rfind('/') + 1);
      const std::string name = f[11].substr(std::min(beside.size(), f[11].size()));
      if (f[11].starts_with(beside) && IsMoveTempName(name) && IsPathInside(name, 1)) e.replacedKeptAs = f[11];
    }
  } else if (tag == "NO") {
    e.state = JournalEntry::State::Failed;
  } else if (tag == "B") {
    e.undo = JournalEntry::Undo::Pending;
  } else if (tag == "BOK") {
    e.undo = JournalEntry::Undo::Back;
  } else if (tag == "BNO") {
    e.undo = JournalEntry::Undo::Left;
    if (f.size() == 3) ParseNumber(f[2], e.leftReason);
  } else {
    ++run.badLines;
  }
}

}  // namespace

bool JournalEntry::Settled() const { return unsafe || state == State::Failed || undo == Undo::Back; }

std::size_t JournalRun::ToTakeBack() const {
  return static_cast<std::size_t>(std::count_if(entries.begin(), entries.end(), [](const JournalEntry& e) {
    return e.kind == JournalEntry::Kind::Move && !e.Settled();
  }));
}

bool JournalRun::Undoable() const {
  return std::any_of(entries.begin(), entries.end(), [](const JournalEntry& e) { return !e.Settled(); });
}

namespace {

// Takes a journal's lines one at a time into its run.
class JournalParser {
 public:
  // False once the first line shows that this is no journal.
  bool Line(std::string_view line, LineEnd end) {
    if (end == LineEnd::Feed && line.empty()) return true;  // the line feed added after a cut-off record
    if (end != LineEnd::Feed || !SplitLine(line, fields_)) {
      ++run_.badLines;  // cut off, damaged, or longer than any record
      return !first_;
    }
    if (first_) {
      first_ = false;
      return Header();
    }
    ApplyRecord(fields_, run_, byId_);
    return true;
  }
  JournalRun& run() { return run_; }

 private:
  bool Header() {
    if (fields_.size() != 6 || fields_[0] != kJournalMagic || fields_[1] != kJournalVersion ||
        (fields_[2] != "move" && fields_[2] != "extract" && fields_[2] != "extract-tree") ||
        !ParseNumber(fields_[4], run_.timeNs))
      return false;
    run_.kind = fields_[2] == "move" ? JournalRunKind::Move
                : fields_[2] == "extract" ? JournalRunKind::Extract
                                          : JournalRunKind::ExtractTree;
    run_.folder = fields_[3];
    run_.roots = {run_.folder};
    run_.valid = true;
    return true;
  }

  JournalRun run_;
  std::unordered_map<long, std::size_t> byId_;
  std::vector<std::string> fields_;
  bool first_ = true;
};

}  // namespace

JournalRun ParseJournal(std::string_view bytes) {
  JournalParser parser;
  LineSplitter splitter(kJournalLineLimit);
  const auto line = [&](std::string_view text, LineEnd end) { return parser.Line(text, end); };
  if (splitter.Feed(bytes, line)) splitter.Finish(line);
  return std::move(parser.run());
}

bool ReadJournal(const fs::Env& env, const std::string& path, JournalRun& run) {
  JournalParser parser;
  const int err = ReadRegularFileLines(env, path, kJournalReadLimit, kJournalLineLimit, false,
                                       [&](std::string_view text, LineEnd end) { return parser.Line(text, end); });
  if (err != 0) {
    errno = err;
    return false;
  }
  run = std::move(parser.run());
  run.path = path;
  return true;
}

}  // namespace pictray
