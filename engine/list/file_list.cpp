#include "engine/list/file_list.h"

#include <algorithm>
#include <unordered_map>

namespace pictray {

using ReadLock = std::shared_lock<std::shared_mutex>;
using WriteLock = std::unique_lock<std::shared_mutex>;

std::size_t FileList::ListMax() const {
  ReadLock l(mutex_);
  return rows_.size();
}

Row FileList::row(std::size_t i) const {
  ReadLock l(mutex_);
  return i < rows_.size() ? rows_[i] : Row{};
}

std::string FileList::name(std::size_t i) const {
  ReadLock l(mutex_);
  return i < rows_.size() ? rows_[i].name : std::string();
}

std::string FileList::target(std::size_t i) const {
  ReadLock l(mutex_);
  return i < rows_.size() ? rows_[i].target : std::string();
}

std::string FileList::kind(std::size_t i) const {
  ReadLock l(mutex_);
  return i < rows_.size() ? rows_[i].kind : std::string();
}

std::string FileList::cell(std::size_t i, int column) const {
  ReadLock l(mutex_);
  if (i >= rows_.size()) return {};
  const Row& r = rows_[i];
  switch (column) {
    case 0: return r.name;
    case 1: return r.target;
    case 2: return r.kind;
    case 3: return r.kind == kind::Phrase ? r.notes : std::string();
    default: return {};
  }
}

void FileList::append(std::vector<Row> rows) {
  WriteLock l(mutex_);
  if (rows_.empty()) {
    rows_ = std::move(rows);
    return;
  }
  rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()),
               std::make_move_iterator(rows.end()));
}

void FileList::reserve(std::size_t n) {
  WriteLock l(mutex_);
  rows_.reserve(n);
}

void FileList::clear() {
  WriteLock l(mutex_);
  std::vector<Row>().swap(rows_);
}

std::vector<Row> FileList::snapshot() const {
  ReadLock l(mutex_);
  return rows_;
}

void FileList::setTarget(std::size_t i, const std::string& target, const std::string& k) {
  WriteLock l(mutex_);
  if (i >= rows_.size()) return;
  rows_[i].target = target;
  rows_[i].kind = k;
}

void FileList::storeResult(std::size_t i, const std::string& result, const std::string& k) {
  WriteLock l(mutex_);
  if (i >= rows_.size()) return;
  rows_[i].target = result;
  if (!result.empty()) rows_[i].kind = k;
}

void FileList::setKind(std::size_t i, const std::string& k) {
  WriteLock l(mutex_);
  if (i < rows_.size()) rows_[i].kind = k;
}

void FileList::setNotes(std::size_t i, const std::string& notes) {
  WriteLock l(mutex_);
  if (i < rows_.size()) rows_[i].notes = notes;
}

void FileList::clearAnalyses() {
  WriteLock l(mutex_);
  for (Row& r : rows_) {
    r.target.clear();
    r.kind.clear();
  }
}

void FileList::forEach(const std::function<void(std::size_t, const Row&)>& fn) const {
  ReadLock l(mutex_);
  for (std::size_t i = 0; i < rows_.size(); ++i) fn(i, rows_[i]);
}

bool FileList::Sort(int column, int& SortBit) {
  WriteLock l(mutex_);
  if (rows_.empty() || column < 0 || column > 3) return false;
  if (column == 3) {
    // The notes column sorts nothing but still turns the direction.
    SortBit = SortBit == 0 ? 1 : 0;
    return false;
  }
  auto key = [column](const Row& r) -> const std::string& {
    return column == 0 ? r.name : column == 1 ? r.target : r.kind;
  };
  // Byte-wise comparison, as strcmp does.
  if (SortBit == 1)
    std::sort(rows_.begin(), rows_.end(),
              [&](const Row& a, const Row& b) { return key(b) < key(a); });
  else
    std::sort(rows_.begin(), rows_.end(),
              [&](const Row& a, const Row& b) { return key(a) < key(b); });
  SortBit = SortBit == 0 ? 1 : 0;
  return true;
}

int FileList::ListBlankCheck() const {
  ReadLock l(mutex_);
  for (const Row& r : rows_)
    if (!r.target.empty()) return 0;
  return 1;
}

int FileList::MoveDataCheck() const { return ListBlankCheck() == 1 ? 0 : 1; }

long FileList::SelectListView(const std::string& name) const {
  ReadLock l(mutex_);
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].name == name) return static_cast<long>(i);
  return -1;
}

std::vector<SummaryLine> FileList::CountSetItem() const {
  std::vector<SummaryLine> lines;
  if (ListBlankCheck() == 1) return lines;
  ReadLock l(mutex_);
  std::unordered_map<std::string, std::size_t> index;
  for (const Row& r : rows_) {
    if (r.kind.empty()) continue;
    auto [it, added] = index.try_emplace(r.target, lines.size());
    if (added) lines.push_back(SummaryLine{r.target, 0});
    ++lines[it->second].count;
  }
  return lines;
}

}  // namespace pictray
