#include "engine/list/file_list.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace pictray {

using ReadLock = std::shared_lock<std::shared_mutex>;
using WriteLock = std::unique_lock<std::shared_mutex>;

namespace {

// Names are copied into blocks of this size (a name never spans two; file
// names are far shorter, a longer one gets a block of its own).
constexpr std::size_t kNameBlock = 1 << 20;

}  // namespace

FileList::TextId FileList::Texts::Intern(std::string_view text) {
  if (text.empty()) return 0;
  if (auto it = ids_.find(text); it != ids_.end()) return it->second;
  const auto id = static_cast<TextId>(texts_.size());
  texts_.push_back(std::make_unique<std::string>(text));
  ids_.emplace(*texts_.back(), id);
  return id;
}

const char* FileList::StoreName(std::string_view name) {
  if (name.empty()) return "";
  if (blockUsed_ + name.size() > blockSize_) {
    blockSize_ = std::max(kNameBlock, name.size());
    nameBlocks_.push_back(std::make_unique_for_overwrite<char[]>(blockSize_));
    blockUsed_ = 0;
  }
  char* at = nameBlocks_.back().get() + blockUsed_;
  std::memcpy(at, name.data(), name.size());
  blockUsed_ += name.size();
  return at;
}

Row FileList::RowOf(const Slot& s) const {
  return Row{std::string(NameOf(s)), texts_[s.target], texts_[s.kind], texts_[s.notes], s.by};
}

std::size_t FileList::ListMax() const {
  ReadLock l(mutex_);
  return rows_.size();
}

Row FileList::row(std::size_t i) const {
  ReadLock l(mutex_);
  return i < rows_.size() ? RowOf(rows_[i]) : Row{};
}

std::string FileList::name(std::size_t i) const {
  ReadLock l(mutex_);
  return i < rows_.size() ? std::string(NameOf(rows_[i])) : std::string();
}

std::string FileList::target(std::size_t i) const {
  ReadLock l(mutex_);
  return i < rows_.size() ? texts_[rows_[i].target] : std::string();
}

std::string FileList::kind(std::size_t i) const {
  ReadLock l(mutex_);
  return i < rows_.size() ? texts_[rows_[i].kind] : std::string();
}

std::string FileList::cell(std::size_t i, int column) const {
  ReadLock l(mutex_);
  if (i >= rows_.size()) return {};
  const Slot& r = rows_[i];
  switch (column) {
    case 0: return std::string(NameOf(r));
    case 1: return texts_[r.target];
    case 2: return texts_[r.kind];
    case 3: return texts_[r.notes];
    default: return {};
  }
}

void FileList::append(std::vector<Row> rows) {
  WriteLock l(mutex_);
  for (const Row& r : rows)
    rows_.push_back(Slot{StoreName(r.name), static_cast<std::uint32_t>(r.name.size()), texts_.Intern(r.target),
                         texts_.Intern(r.kind), texts_.Intern(r.notes), static_cast<std::uint16_t>(r.by)});
}

void FileList::append(const std::vector<std::string_view>& names) {
  WriteLock l(mutex_);
  for (const std::string_view name : names)
    rows_.push_back(Slot{StoreName(name), static_cast<std::uint32_t>(name.size()), 0, 0, 0, 0});
}

void FileList::reserve(std::size_t n) {
  WriteLock l(mutex_);
  rows_.reserve(n);
}

void FileList::clear() {
  WriteLock l(mutex_);
  std::vector<Slot>().swap(rows_);
  std::vector<std::unique_ptr<char[]>>().swap(nameBlocks_);
  blockUsed_ = blockSize_ = 0;
  texts_ = Texts();
}

std::vector<Row> FileList::snapshot() const {
  ReadLock l(mutex_);
  std::vector<Row> out;
  out.reserve(rows_.size());
  for (const Slot& s : rows_) out.push_back(RowOf(s));
  return out;
}

void FileList::setTarget(std::size_t i, const std::string& target, const std::string& k, int by) {
  WriteLock l(mutex_);
  if (i >= rows_.size()) return;
  rows_[i].target = texts_.Intern(target);
  rows_[i].kind = texts_.Intern(k);
  rows_[i].by = static_cast<std::uint16_t>(by);
}

void FileList::storeResult(std::size_t i, const std::string& result, const std::string& k, int by) {
  WriteLock l(mutex_);
  if (i >= rows_.size()) return;
  rows_[i].target = texts_.Intern(result);
  if (result.empty()) return;
  rows_[i].kind = texts_.Intern(k);
  rows_[i].by = static_cast<std::uint16_t>(by);
}

void FileList::setKind(std::size_t i, const std::string& k, int by) {
  WriteLock l(mutex_);
  if (i >= rows_.size()) return;
  rows_[i].kind = texts_.Intern(k);
  rows_[i].by = static_cast<std::uint16_t>(by);
}

void FileList::setNotes(std::size_t i, const std::string& notes) {
  WriteLock l(mutex_);
  if (i < rows_.size()) rows_[i].notes = texts_.Intern(notes);
}

void FileList::clearAnalyses() {
  WriteLock l(mutex_);
  // The notes belong to the target they explain: a later "T" must not show them.
  for (Slot& r : rows_) {
    r.target = r.kind = r.notes = 0;
    r.by = 0;
  }
}

void FileList::forEach(const std::function<void(std::size_t, const Row&)>& fn) const {
  ReadLock l(mutex_);
  for (std::size_t i = 0; i < rows_.size(); ++i) fn(i, RowOf(rows_[i]));
}

void FileList::SortByName(bool descending) {
  // Byte-wise comparison, as strcmp does (string_view compares unsigned
  // bytes). Reading a million names at random is slow, so the rows are
  // sorted by the eight bytes that follow the prefix all names share, and
  // the names are read only where those are equal.
  const std::string_view first = NameOf(rows_.front());
  std::size_t common = first.size();
  for (const Slot& s : rows_) {
    const std::string_view n = NameOf(s);
    std::size_t k = 0;
    while (k < common && k < n.size() && n[k] == first[k]) ++k;
    common = k;
  }
  struct Keyed {
    std::uint64_t key;
    Slot slot;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(rows_.size());
  for (const Slot& s : rows_) {
    const std::string_view n = NameOf(s);
    std::uint64_t key = 0;
    for (std::size_t k = common; k < common + 8; ++k)
      key = key << 8 | (k < n.size() ? static_cast<unsigned char>(n[k]) : 0u);
    keyed.push_back({key, s});
  }
  const std::size_t rest = common + 8;
  auto before = [&](const Keyed& a, const Keyed& b) {
    if (a.key != b.key) return a.key < b.key;
    const std::string_view x = NameOf(a.slot), y = NameOf(b.slot);
    return x.substr(std::min(rest, x.size())) < y.substr(std::min(rest, y.size()));
  };
  if (descending)
    std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) { return before(b, a); });
  else
    std::sort(keyed.begin(), keyed.end(), before);
  for (std::size_t i = 0; i < keyed.size(); ++i) rows_[i] = keyed[i].slot;
}

bool FileList::Sort(int column, int& SortBit) {
  WriteLock l(mutex_);
  // The notes column sorts nothing, so it leaves the direction as it is.
  if (rows_.empty() || column < 0 || column > 2) return false;
  const bool descending = SortBit == 1;
  if (column == 0) {
    SortByName(descending);
  } else {
    // Targets and kinds repeat: their texts are ranked once, and the rows
    // sorted by rank.
    std::vector<TextId> byText(texts_.size());
    std::iota(byText.begin(), byText.end(), TextId{0});
    std::sort(byText.begin(), byText.end(), [this](TextId a, TextId b) { return texts_[a] < texts_[b]; });
    std::vector<std::uint32_t> rank(texts_.size());
    for (std::size_t r = 0; r < byText.size(); ++r) rank[byText[r]] = static_cast<std::uint32_t>(r);
    const bool byTarget = column == 1;
    auto key = [&](const Slot& s) { return rank[byTarget ? s.target : s.kind]; };
    if (descending)
      std::sort(rows_.begin(), rows_.end(), [&](const Slot& a, const Slot& b) { return key(b) < key(a); });
    else
      std::sort(rows_.begin(), rows_.end(), [&](const Slot& a, const Slot& b) { return key(a) < key(b); });
  }
  SortBit = SortBit == 0 ? 1 : 0;
  return true;
}

int FileList::ListBlankCheck() const {
  ReadLock l(mutex_);
  for (const Slot& r : rows_)
    if (r.target != 0) return 0;
  return 1;
}

int FileList::MoveDataCheck() const { return ListBlankCheck() == 1 ? 0 : 1; }

long FileList::SelectListView(const std::string& name) const {
  ReadLock l(mutex_);
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (NameOf(rows_[i]) == name) return static_cast<long>(i);
  return -1;
}

std::vector<SummaryLine> FileList::CountSetItem() const {
  std::vector<SummaryLine> lines;
  if (ListBlankCheck() == 1) return lines;
  ReadLock l(mutex_);
  // Line of each target text, once met (0: none yet).
  std::vector<std::size_t> line(texts_.size(), 0);
  for (const Slot& r : rows_) {
    if (r.kind == 0) continue;
    std::size_t& at = line[r.target];
    if (at == 0) {
      lines.push_back(SummaryLine{texts_[r.target], 0});
      at = lines.size();
    }
    ++lines[at - 1].count;
  }
  return lines;
}

}  // namespace pictray
