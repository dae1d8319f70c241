#include "engine/dupes/keep_rule.h"

#include <algorithm>
#include <ctime>
#include <iterator>
#include <string>
#include <utility>

#include "engine/fs/paths.h"

namespace pictray::dupes {
namespace {

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// Takes `suffix` off the end of `stem`; false when it is not there.
bool TakeSuffix(std::string_view& stem, std::string_view suffix) {
  if (!stem.ends_with(suffix) || stem.size() == suffix.size()) return false;
  stem.remove_suffix(suffix.size());
  return true;
}

// Takes a " (N)" off the end of `stem`.
bool TakeNumberInBrackets(std::string_view& stem) {
  if (!stem.ends_with(')')) return false;
  const std::size_t open = stem.rfind(" (");
  if (open == std::string_view::npos || open == 0 || !AllDigits(stem.substr(open + 2, stem.size() - open - 3)))
    return false;
  stem = stem.substr(0, open);
  return true;
}

// " (copy)", " (copy 2)", " (another copy)", " (3rd copy)": a file manager's
// names for copies pasted beside the file.
bool EndsWithCopyInBrackets(std::string_view stem) {
  if (!stem.ends_with(')')) return false;
  const std::size_t open = stem.rfind(" (");
  if (open == std::string_view::npos || open == 0) return false;
  const std::string_view inside = stem.substr(open + 2, stem.size() - open - 3);
  if (inside == "copy" || inside == "another copy") return true;
  if (inside.starts_with("copy ")) return AllDigits(inside.substr(5));
  const std::size_t space = inside.find(' ');
  return space != std::string_view::npos && space >= 3 && inside.substr(space) == " copy" &&
         AllDigits(inside.substr(0, space - 2));
}

// " 2" .. " 99", as a second copy is named beside the first.
bool EndsWithSmallNumber(std::string_view stem) {
  const std::size_t space = stem.rfind(' ');
  if (space == std::string_view::npos || space == 0) return false;
  const std::string_view n = stem.substr(space + 1);
  return AllDigits(n) && n.size() <= 2 && n != "0" && n != "1" && n[0] != '0';
}

}  // namespace

bool HasCopyMarker(std::string_view filename) {
  if (filename.starts_with("Copy of ")) return true;
  const std::size_t dot = filename.rfind('.');
  std::string_view stem = dot == std::string_view::npos || dot == 0 ? filename : filename.substr(0, dot);
  if (EndsWithCopyInBrackets(stem)) return true;
  const bool numbered = TakeNumberInBrackets(stem);
  for (std::string_view copy : {" - Copy", " - copy", " - \xE3\x82\xB3\xE3\x83\x94\xE3\x83\xBC", "_copy", "_Copy"})
    if (TakeSuffix(stem, copy)) return true;
  return numbered || EndsWithSmallNumber(stem);
}

namespace {

// The criteria's words; "largest" and "oldest" are the same criteria as
// "size" and "date".
struct CriterionWord {
  std::string_view word;
  KeepCriterion criterion;
};
constexpr CriterionWord kWords[] = {
    {"reference", KeepCriterion::Reference}, {"companions", KeepCriterion::Companions},
    {"original", KeepCriterion::Original},   {"camera", KeepCriterion::Camera},
    {"pixels", KeepCriterion::Pixels},       {"size", KeepCriterion::Size},
    {"largest", KeepCriterion::Size},        {"format", KeepCriterion::Format},
    {"date", KeepCriterion::Date},           {"oldest", KeepCriterion::Date},
    {"name", KeepCriterion::Name},
};
constexpr std::string_view kFolderWord = "folder:";

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// `path` with "." and empty names taken out and ".." taking back the name
// before it, as written (links are not resolved); "/" stays "/".
std::string NormalPath(std::string_view path) {
  std::vector<std::string_view> names;
  const bool absolute = path.starts_with('/');
  while (!path.empty()) {
    const std::size_t slash = path.find('/');
    const std::string_view name = path.substr(0, slash);
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    if (name.empty() || name == ".") continue;
    if (name == ".." && !names.empty() && names.back() != "..") {
      names.pop_back();
      continue;
    }
    if (name == ".." && absolute) continue;
    names.push_back(name);
  }
  std::string out = absolute ? "/" : "";
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) out += '/';
    out += names[i];
  }
  return out.empty() ? "." : out;
}

// Whether the file `path` lies in `folder` (or below it), both taken from
// the current folder when relative.
bool InFolder(const std::string& path, const std::string& folder) {
  const std::string p = NormalPath(path.starts_with('/') ? path : AbsolutePath(path));
  const std::string f = folder.starts_with('/') ? folder : NormalPath(AbsolutePath(folder));
  if (f == "/") return true;
  return p.size() > f.size() && p.starts_with(f) && p[f.size()] == '/';
}

// The days from 1970-01-01 to the civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// The wall-clock seconds of a date "YYYY:MM:DD HH:MM:SS" since 1970-01-01
// 00:00:00 as if UTC; nothing for any other text.
std::optional<std::int64_t> WallSecondsOfDate(std::string_view d) {
  if (d.size() < 19 || d[4] != ':' || d[7] != ':' || d[10] != ' ' || d[13] != ':' || d[16] != ':') return std::nullopt;
  const auto number = [&](std::size_t at, std::size_t n) -> int {
    int v = 0;
    for (std::size_t i = at; i < at + n; ++i) {
      if (d[i] < '0' || d[i] > '9') return -1;
      v = v * 10 + (d[i] - '0');
    }
    return v;
  };
  const int y = number(0, 4), mo = number(5, 2), day = number(8, 2), h = number(11, 2), mi = number(14, 2),
            s = number(17, 2);
  if (y <= 0 || mo < 1 || mo > 12 || day < 1 || day > 31 || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 60)
    return std::nullopt;
  return DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(day)) * 86400 + h * 3600 + mi * 60 + s;
}

// A file's best date: the date taken, else the modification time in the
// local time zone, both as wall-clock seconds; the nanoseconds of a
// modification time.
struct BestDate {
  std::int64_t seconds = 0, nanoseconds = 0;
  bool taken = false;
};

BestDate ModificationDate(const FileRec& r) {
  const std::int64_t ns = r.identity.mtimeNs;
  time_t t = static_cast<time_t>(ns / 1000000000 - (ns % 1000000000 < 0));
  struct tm local {};
  if (!localtime_r(&t, &local)) return {ns / 1000000000, ns % 1000000000, false};
  const std::int64_t wall = DaysFromCivil(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                                          static_cast<unsigned>(local.tm_mday)) *
                                86400 +
                            local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
  return {wall, ((ns % 1000000000) + 1000000000) % 1000000000, false};
}

BestDate BestDateOf(const FileRec& r, const PictureFacts* f) {
  if (f)
    if (const auto taken = WallSecondsOfDate(f->dateTaken)) return {*taken, 0, true};
  return ModificationDate(r);
}

// One side of a comparison.
struct Side {
  const FileRec& r;
  const PictureFacts* f;  // null: no facts known
};

long long PixelsOf(const PictureFacts& f) { return 1LL * f.width * f.height; }

// The companions' rank: a picture with its Live Photo video first. Sidecars
// do not rank: they go with whichever file they belong to.
int CompanionRank(std::uint8_t bits) { return bits & kLiveVideo ? 1 : 0; }

// < 0 when `a` stays before `b` by the step, > 0 after it, 0 on a tie.
template <typename T>
int Order(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

int CompareBy(const KeepStep& step, const Side& a, const Side& b) {
  const bool facts = a.f && b.f;
  switch (step.criterion) {
    case KeepCriterion::Reference: return Order(!a.r.reference, !b.r.reference);
    case KeepCriterion::Companions:
      return Order(-CompanionRank(a.r.companions), -CompanionRank(b.r.companions));
    case KeepCriterion::Original: return Order(HasCopyMarker(a.r.filename), HasCopyMarker(b.r.filename));
    case KeepCriterion::Camera: return facts ? Order(!a.f->camera, !b.f->camera) : 0;
    case KeepCriterion::Pixels: return facts ? Order(-PixelsOf(*a.f), -PixelsOf(*b.f)) : 0;
    case KeepCriterion::Size: return Order(-a.r.identity.size, -b.r.identity.size);
    case KeepCriterion::Format: return facts ? Order(a.f->kind, b.f->kind) : 0;
    case KeepCriterion::Date: {
      // Without facts (byte-identical copies) the modification times as
      // they are; with them each file's best date as a wall-clock time. One
      // key for every pair of a sort, so that its order is one order.
      if (!facts) return Order(a.r.identity.mtimeNs, b.r.identity.mtimeNs);
      const BestDate da = BestDateOf(a.r, a.f), db = BestDateOf(b.r, b.f);
      return Order(std::make_pair(da.seconds, da.nanoseconds), std::make_pair(db.seconds, db.nanoseconds));
    }
    case KeepCriterion::Name:
      if (const int c = Order(a.r.filename.size(), b.r.filename.size())) return c;
      return Order(std::string_view(a.r.filename), std::string_view(b.r.filename));
    case KeepCriterion::Folder: return Order(!InFolder(a.r.path, step.folder), !InFolder(b.r.path, step.folder));
    case KeepCriterion::Chosen:
    case KeepCriterion::None: return 0;
  }
  return 0;
}

// The last word between files that tie on every step.
int LastWord(const FileRec& a, const FileRec& b) {
  if (const int c = Order(std::string_view(a.filename), std::string_view(b.filename))) return c;
  return Order(std::string_view(a.path), std::string_view(b.path));
}

}  // namespace

KeepRuleParse ParseKeepRule(std::string_view text) {
  KeepRuleParse out;
  // The default's own word: "original" alone is the default rule.
  if (Trimmed(text) == "original") {
    out.rule = DefaultKeepRule();
    return out;
  }
  KeepRule rule;
  std::vector<KeepCriterion> named;
  bool any = false;
  while (true) {
    const std::size_t comma = text.find(',');
    const std::string_view word = Trimmed(text.substr(0, comma));
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    if (!word.empty() || comma != std::string_view::npos || any) {
      any = true;
      if (word.starts_with(kFolderWord) && word.size() > kFolderWord.size()) {
        rule.steps.push_back({KeepCriterion::Folder, NormalPath(word.substr(kFolderWord.size()))});
      } else {
        const auto known = std::find_if(std::begin(kWords), std::end(kWords),
                                        [&](const CriterionWord& w) { return w.word == word; });
        if (known == std::end(kWords)) {
          out.error = KeepRuleError::UnknownWord;
          out.word = word;
          return out;
        }
        if (std::find(named.begin(), named.end(), known->criterion) != named.end()) {
          out.error = KeepRuleError::Repeated;
          out.word = word;
          return out;
        }
        if (known->criterion == KeepCriterion::Reference && !rule.steps.empty()) {
          out.error = KeepRuleError::ReferenceNotFirst;
          out.word = word;
          return out;
        }
        named.push_back(known->criterion);
        rule.steps.push_back({known->criterion, {}});
      }
    }
    if (comma == std::string_view::npos) break;
  }
  if (!any) {
    out.error = KeepRuleError::Empty;
    return out;
  }
  // Reference first, the criteria not named after the named ones.
  KeepRule whole;
  whole.steps.push_back({KeepCriterion::Reference, {}});
  for (const KeepStep& s : rule.steps)
    if (s.criterion != KeepCriterion::Reference) whole.steps.push_back(s);
  for (const KeepStep& s : DefaultKeepRule().steps)
    if (s.criterion != KeepCriterion::Reference &&
        std::find(named.begin(), named.end(), s.criterion) == named.end())
      whole.steps.push_back(s);
  out.rule = std::move(whole);
  return out;
}

std::string KeepRuleText(const KeepRule& rule) {
  std::string text;
  for (const KeepStep& s : rule.steps) {
    if (!text.empty()) text += ',';
    if (s.criterion == KeepCriterion::Folder) {
      text += std::string(kFolderWord) + s.folder;
      continue;
    }
    for (const CriterionWord& w : kWords)
      if (w.criterion == s.criterion) {
        text += w.word;
        break;
      }
  }
  return text;
}

bool KeptBefore(const FileRec& a, const PictureFacts* fa, const FileRec& b, const PictureFacts* fb,
                const KeepRule& rule) {
  const Side sa{a, fa}, sb{b, fb};
  for (const KeepStep& step : rule.steps)
    if (const int c = CompareBy(step, sa, sb)) return c < 0;
  return LastWord(a, b) < 0;
}

KeepReason WhyKept(const FileRec& kept, const PictureFacts* fk, const FileRec& other, const PictureFacts* fo,
                   const KeepRule& rule) {
  KeepReason why;
  const Side sk{kept, fk}, so{other, fo};
  std::size_t decided = rule.steps.size();
  for (std::size_t i = 0; i < rule.steps.size(); ++i) {
    const int c = CompareBy(rule.steps[i], sk, so);
    if (c > 0) {
      why.criterion = KeepCriterion::Chosen;
      return why;
    }
    if (c < 0) {
      decided = i;
      break;
    }
  }
  if (decided == rule.steps.size()) {
    const int c = LastWord(kept, other);
    why.criterion = c < 0 ? KeepCriterion::Name : c > 0 ? KeepCriterion::Chosen : KeepCriterion::None;
    if (c < 0) {
      why.value[0] = static_cast<std::int64_t>(kept.filename.size());
      why.value[1] = static_cast<std::int64_t>(other.filename.size());
    }
    return why;
  }
  why.criterion = rule.steps[decided].criterion;
  const FileRec* r[2] = {&kept, &other};
  const PictureFacts* f[2] = {fk, fo};
  for (int i = 0; i < 2; ++i) {
    switch (why.criterion) {
      case KeepCriterion::Companions: why.value[i] = r[i]->companions; break;
      case KeepCriterion::Pixels:
        why.width[i] = f[i] ? f[i]->width : 0;
        why.height[i] = f[i] ? f[i]->height : 0;
        break;
      case KeepCriterion::Size: why.value[i] = r[i]->identity.size; break;
      case KeepCriterion::Format:
        why.value[i] = static_cast<std::int64_t>(f[i] ? f[i]->kind : PictureKind::Other);
        break;
      case KeepCriterion::Date: {
        const BestDate d = BestDateOf(*r[i], f[0] && f[1] ? f[i] : nullptr);
        why.value[i] = d.seconds;
        why.nanoseconds[i] = static_cast<std::int32_t>(d.nanoseconds);
        why.dateTaken[i] = d.taken;
        break;
      }
      case KeepCriterion::Name: why.value[i] = static_cast<std::int64_t>(r[i]->filename.size()); break;
      case KeepCriterion::Folder: why.value[i] = static_cast<std::int64_t>(decided); break;
      default: break;
    }
  }
  return why;
}

void ExplainGroups(std::vector<TwinGroup>& groups, const std::vector<FileRec>& lpData,
                   const std::vector<PictureFacts>& facts, const KeepRule& rule) {
  const auto factsOf = [&](std::size_t row) -> const PictureFacts* {
    if (row >= facts.size() || (facts[row].width == 0 && facts[row].kind == PictureKind::Other)) return nullptr;
    return &facts[row];
  };
  for (TwinGroup& g : groups) {
    if (g.members.size() < 2 || g.kept >= g.members.size()) continue;
    const std::size_t keptRow = g.members[g.kept].row;
    std::size_t next = g.members.size();
    for (std::size_t m = 0; m < g.members.size(); ++m) {
      if (m == g.kept) continue;
      if (next == g.members.size() || KeptBefore(lpData[g.members[m].row], factsOf(g.members[m].row),
                                                 lpData[g.members[next].row], factsOf(g.members[next].row), rule))
        next = m;
    }
    const std::size_t otherRow = g.members[next].row;
    g.why = WhyKept(lpData[keptRow], factsOf(keptRow), lpData[otherRow], factsOf(otherRow), rule);
  }
}

}  // namespace pictray::dupes
