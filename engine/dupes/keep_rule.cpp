#include "engine/dupes/keep_rule.h"

#include <string>
#include <tuple>

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

std::optional<KeepFirst> ParseKeepFirst(std::string_view word) {
  if (word == "original") return KeepFirst::Original;
  if (word == "oldest") return KeepFirst::Oldest;
  if (word == "largest") return KeepFirst::Largest;
  if (word == "pixels") return KeepFirst::MostPixels;
  return std::nullopt;
}

bool KeptBefore(const FileRec& a, const FileRec& b, KeepFirst first) {
  // A protected library's file stays before all others.
  if (a.reference != b.reference) return a.reference;
  if (first == KeepFirst::Oldest && a.identity.mtimeNs != b.identity.mtimeNs)
    return a.identity.mtimeNs < b.identity.mtimeNs;
  if (first == KeepFirst::Largest && a.identity.size != b.identity.size) return a.identity.size > b.identity.size;
  const auto rank = [](const FileRec& r) {
    return std::make_tuple(HasCopyMarker(r.filename), -r.identity.size, r.identity.mtimeNs, r.filename.size(),
                           std::string_view(r.filename));
  };
  return rank(a) < rank(b);
}

bool KeptBefore(const FileRec& a, const PictureFacts& fa, const FileRec& b, const PictureFacts& fb,
                KeepFirst first) {
  if (a.reference != b.reference) return a.reference;
  const auto pixels = [](const PictureFacts& f) { return -1LL * f.width * f.height; };
  // Older first: the date taken when both have one, else the modification time.
  const bool dated = !fa.dateTaken.empty() && !fb.dateTaken.empty();
  const auto age = [dated](const FileRec& r, const PictureFacts& f) {
    return std::make_tuple(dated ? std::string_view(f.dateTaken) : std::string_view(), r.identity.mtimeNs);
  };
  switch (first) {
    case KeepFirst::Original: break;
    case KeepFirst::Oldest:
      if (age(a, fa) != age(b, fb)) return age(a, fa) < age(b, fb);
      break;
    case KeepFirst::Largest:
      if (a.identity.size != b.identity.size) return a.identity.size > b.identity.size;
      break;
    case KeepFirst::MostPixels:
      if (pixels(fa) != pixels(fb)) return pixels(fa) < pixels(fb);
      break;
  }
  const auto rank = [&](const FileRec& r, const PictureFacts& f) {
    return std::make_tuple(HasCopyMarker(r.filename), pixels(f), -r.identity.size, f.kind, age(r, f),
                           r.filename.size(), std::string_view(r.filename));
  };
  return rank(a, fa) < rank(b, fb);
}

}  // namespace pictray::dupes
