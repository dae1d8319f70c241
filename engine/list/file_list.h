// The row array of the file list: one row per listed file with its target
// folder and kind code. The rows are shared between the window's thread and
// a worker; every access goes through this owner's lock, so a reader never
// sees a row half written, reordered or freed.
//
// A folder may hold a million files, so a row is kept small: its name lives
// in blocks of name bytes, and its target, kind and notes are numbers of
// texts kept once for the whole list (targets repeat: dates, sizes, "NG").
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace pictray {

struct Row {
  std::string name;    // file name as the file system gives it (bytes)
  std::string target;  // target folder name; empty = not classified
  std::string kind;    // one-letter kind code; empty = not classified
  std::string notes;   // written only by the strength analysis (ShownNotes: when they are shown)
  // The command that classified the row (its id); 0 for none. Kind letters
  // are shared by commands, so rules that belong to one command key on this.
  int by = 0;
};

// The classifications' kind letters are their commands' (KindOf in
// engine/runs/run_commands.h); the rows know only the move's own mark.
namespace kind {
inline constexpr const char* Moved = "M";
}  // namespace kind

struct SummaryLine {
  std::string target;
  int count = 0;
  bool operator==(const SummaryLine&) const = default;
};

class FileList {
 public:
  // ListMax: the number of valid rows.
  std::size_t ListMax() const;
  bool empty() const { return ListMax() == 0; }

  Row row(std::size_t i) const;  // copy; an empty row past the end
  std::string name(std::size_t i) const;
  std::string target(std::size_t i) const;
  std::string kind(std::size_t i) const;
  // Text of a column of the file list (0 name, 1 target, 2 kind, 3 notes
  // as stored).
  std::string cell(std::size_t i, int column) const;

  void append(std::vector<Row> rows);
  // Rows of these names, unclassified.
  void append(const std::vector<std::string_view>& names);
  void reserve(std::size_t n);
  void clear();  // frees the rows
  std::vector<Row> snapshot() const;

  // `by`: the classifying command, kept with the kind (0: none).
  void setTarget(std::size_t i, const std::string& target, const std::string& kind, int by = 0);
  // Stores a run's result: the target always, the kind (and `by`) only
  // when the result is not empty.
  void storeResult(std::size_t i, const std::string& result, const std::string& kind, int by = 0);
  void setKind(std::size_t i, const std::string& kind, int by = 0);
  void setNotes(std::size_t i, const std::string& notes);
  void clearAnalyses();  // empties target and kind of every row

  // Runs fn over the rows under one lock (for whole-list checks).
  void forEach(const std::function<void(std::size_t, const Row&)>& fn) const;

  // Header-click sort of column 0..2; the direction comes from SortBit,
  // which every sort toggles (column 3 sorts nothing and leaves it).
  // False when nothing was sorted.
  bool Sort(int column, int& SortBit);

  // 1 when every row has an empty target (also with no rows).
  int ListBlankCheck() const;
  // 1 when at least one row has a non-empty target.
  int MoveDataCheck() const;
  // Index of the first row whose name equals `name` byte for byte, -1 if none.
  long SelectListView(const std::string& name) const;
  // Summary: one line per target of the classified rows, in order of first
  // occurrence, with the number of classified rows that have it.
  std::vector<SummaryLine> CountSetItem() const;

 private:
  using TextId = std::uint32_t;  // 0 is the empty text
  struct Slot {
    const char* name;  // in names_, not terminated
    std::uint32_t nameSize;
    TextId target, kind, notes;
    std::uint16_t by;
  };

  // Texts met once, each kept once for the life of the rows.
  class Texts {
   public:
    Texts() { texts_.push_back(std::make_unique<std::string>()); }
    TextId Intern(std::string_view text);
    const std::string& operator[](TextId id) const { return *texts_[id]; }
    std::size_t size() const { return texts_.size(); }

   private:
    std::vector<std::unique_ptr<std::string>> texts_;  // stable storage for the views below
    std::unordered_map<std::string_view, TextId> ids_;
  };

  std::string_view NameOf(const Slot& s) const { return {s.name, s.nameSize}; }
  const char* StoreName(std::string_view name);
  Row RowOf(const Slot& s) const;
  void SortByName(bool descending);

  mutable std::shared_mutex mutex_;
  std::vector<Slot> rows_;
  std::vector<std::unique_ptr<char[]>> nameBlocks_;
  std::size_t blockUsed_ = 0, blockSize_ = 0;
  Texts texts_;
};

}  // namespace pictray
