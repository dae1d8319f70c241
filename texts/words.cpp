#include <cstdio>
#include <cstring>

#include "texts/texts.h"
#include "texts/vocabulary.h"

namespace pictray::texts {
namespace {

// `pattern` with its markers replaced in one pass, so that a name holding
// "%s" stays as it is. A marker with nothing left to take stays empty.
std::string Fill(const char* pattern, const std::vector<std::string>& names,
                 const std::vector<long long>& numbers = {}, int error = 0) {
  std::string out;
  std::size_t name = 0, number = 0;
  for (const char* p = pattern; *p != '\0'; ++p) {
    if (*p != '%' || p[1] == '\0') {
      out += *p;
      continue;
    }
    switch (*++p) {
      case 's':
        if (name < names.size()) out += names[name++];
        break;
      case 'd':
        if (number < numbers.size()) out += std::to_string(numbers[number++]);
        break;
      case 'e': out += std::strerror(error); break;
      default:
        out += '%';
        out += *p;
    }
  }
  return out;
}

long long NumberOf(const Message& m, std::size_t i) { return i < m.numbers.size() ? m.numbers[i] : 0; }

std::string MoveEndWords(const Message& m, const Vocabulary& v) {
  std::string text = v.said(m.what);
  if (m.error != 0) text += Fill(v.piece(Piece::MoveJournalStopped), m.names, {}, m.error);
  if (m.items.empty()) return text;
  text += Fill(v.piece(Piece::MoveLeftOpen), {}, {NumberOf(m, 0)});
  for (std::size_t i = 0; i < m.items.size(); ++i) {
    if (i > 0) text += v.piece(Piece::ListComma);
    text += Fill(v.piece(Piece::ReasonCount), {v.said(m.items[i].what)}, {NumberOf(m.items[i], 0)});
  }
  return text + v.piece(Piece::MoveLeftClose);
}

std::string UndoEndWords(const Message& m, const Vocabulary& v) {
  std::string text = Fill(v.said(m.what), {}, {NumberOf(m, 0)});
  if (NumberOf(m, 1) != 0) text += v.piece(Piece::UndoAborted);
  if (m.error != 0) text += Fill(v.piece(Piece::UndoJournalStopped), m.names, {}, m.error);
  if (m.items.empty()) return text;
  text += Fill(v.piece(Piece::UndoLeftHeader), {}, {static_cast<long long>(m.items.size())});
  for (const Message& left : m.items) {
    const bool folder = left.names.size() < 2 || left.names[1].empty();
    text += Fill(v.piece(folder ? Piece::UndoLeftFolder : Piece::UndoLeftMoved), left.names);
    text += v.said(left.what);
    if (left.error != 0) text += Fill(v.piece(Piece::ErrorAfter), {}, {}, left.error);
  }
  return text;
}

std::string DeleteRefusedWords(const Message& m, const Vocabulary& v) {
  std::string text = v.said(m.what);
  for (const Message& found : m.items) {
    std::string names;
    for (const std::string& name : found.names) names += (names.empty() ? "" : ", ") + name;
    if (NumberOf(found, 0) > static_cast<long long>(found.names.size())) names += ", …";
    text += Fill(v.piece(Piece::DeleteFoundItem), {v.said(found.what), names}, found.numbers);
  }
  return text;
}

}  // namespace

std::string Words(const Message& m, Language language) {
  const Vocabulary& v = VocabularyOf(language);
  switch (m.what) {
    case Said::MoveEnd: return MoveEndWords(m, v);
    case Said::UndoEnd: return UndoEndWords(m, v);
    case Said::DeleteRefused: return DeleteRefusedWords(m, v);
    case Said::NotMoved: {
      std::string text = Fill(v.said(m.what), m.names);
      if (!m.items.empty()) text += v.said(m.items[0].what);
      if (m.error != 0) text += Fill(v.piece(Piece::ErrorAfter), {}, {}, m.error);
      return text;
    }
    case Said::FolderBusy:
      return v.said(m.what) + (m.names.empty() ? std::string() : Fill(v.piece(Piece::NameAfter), m.names));
    case Said::Extracted:
    case Said::ExtractDryRunEnd:
    case Said::NothingExtracted:
    case Said::ExtractedInto: {
      std::string text = Fill(v.said(m.what), m.names);
      if (NumberOf(m, 2) > 0)
        text += Fill(v.piece(Piece::ExtractMoved), {SizeWords(static_cast<std::uint64_t>(NumberOf(m, 3)), language)},
                     {NumberOf(m, 2)});
      if (NumberOf(m, 0) > 0) text += Fill(v.piece(Piece::ExtractLeftDiffers), {}, {NumberOf(m, 0)});
      if (NumberOf(m, 1) > 0) text += Fill(v.piece(Piece::ExtractLeftFailed), {}, {NumberOf(m, 1)});
      return text;
    }
    default: return Fill(v.said(m.what), m.names, m.numbers, m.error);
  }
}

std::string SizeWords(std::uint64_t bytes, Language language) {
  const Vocabulary& v = VocabularyOf(language);
  if (bytes < 1024) return Fill(v.piece(Piece::SizeBytes), {}, {static_cast<long long>(bytes)});
  static const char* const units[] = {"KB", "MB", "GB", "TB"};
  double size = static_cast<double>(bytes) / 1024;
  std::size_t unit = 0;
  for (; size >= 1024 && unit + 1 < std::size(units); ++unit) size /= 1024;
  char number[32];
  std::snprintf(number, sizeof number, "%.1f", size);
  return Fill(v.piece(Piece::SizeUnits), {number, units[unit]});
}

std::string Words(dupes::PictureKind kind, Language language) {
  const Vocabulary& v = VocabularyOf(language);
  switch (kind) {
    case dupes::PictureKind::Raw: return v.piece(Piece::KindRaw);
    case dupes::PictureKind::Lossless: return v.piece(Piece::KindLossless);
    case dupes::PictureKind::Heif: return v.piece(Piece::KindHeif);
    case dupes::PictureKind::Jpeg: return v.piece(Piece::KindJpeg);
    case dupes::PictureKind::WebP: return v.piece(Piece::KindWebP);
    case dupes::PictureKind::Other: break;
  }
  return v.piece(Piece::KindOther);
}

namespace {

// Wall-clock seconds since 1970 as "YYYY-MM-DD HH:MM:SS", with the
// nanoseconds after a point when `fraction` (two dates of one second).
std::string WallDate(std::int64_t seconds, std::int32_t nanoseconds, bool fraction) {
  const dupes::CivilTime t = dupes::CivilOfWallSeconds(seconds);
  char text[112];
  const int n = std::snprintf(text, sizeof text, "%04lld-%02d-%02d %02d:%02d:%02d", static_cast<long long>(t.year),
                              t.month, t.day, t.hour, t.minute, t.second);
  if (fraction && n > 0) std::snprintf(text + n, sizeof text - n, ".%09d", static_cast<int>(nanoseconds));
  return text;
}

}  // namespace

std::string Words(const dupes::KeepReason& why, Language language, const dupes::KeepRule* rule) {
  const Vocabulary& v = VocabularyOf(language);
  using dupes::KeepCriterion;
  switch (why.criterion) {
    case KeepCriterion::Reference: return v.piece(Piece::WhyReference);
    case KeepCriterion::Companions: return v.piece(Piece::WhyLiveVideo);
    case KeepCriterion::Original: return v.piece(Piece::WhyOriginal);
    case KeepCriterion::Camera: return v.piece(Piece::WhyCamera);
    case KeepCriterion::Pixels:
      return Fill(v.piece(Piece::WhyPixels), {}, {why.width[0], why.height[0], why.width[1], why.height[1]});
    case KeepCriterion::Size:
      return Fill(v.piece(Piece::WhySize),
                  {SizeWords(static_cast<std::uint64_t>(why.value[0]), language),
                   SizeWords(static_cast<std::uint64_t>(why.value[1]), language)});
    case KeepCriterion::Format:
      return Fill(v.piece(Piece::WhyFormat), {Words(static_cast<dupes::PictureKind>(why.value[0]), language),
                                              Words(static_cast<dupes::PictureKind>(why.value[1]), language)});
    case KeepCriterion::Date: {
      std::vector<std::string> dates;
      const bool oneSecond = why.value[0] == why.value[1];
      for (int i = 0; i < 2; ++i)
        dates.push_back(Fill(v.piece(why.dateTaken[i] ? Piece::WhyDateTaken : Piece::WhyDateModified),
                             {WallDate(why.value[i], why.nanoseconds[i], oneSecond)}));
      return Fill(v.piece(Piece::WhyDate), dates);
    }
    case KeepCriterion::Name:
      if (why.value[0] < why.value[1])
        return Fill(v.piece(Piece::WhyShorterName), {}, {why.value[0], why.value[1]});
      return v.piece(Piece::WhyNameOrder);
    case KeepCriterion::Folder: {
      const auto step = static_cast<std::size_t>(why.value[0]);
      if (!rule || step >= rule->steps.size()) return v.piece(Piece::WhyAnyFolder);
      return Fill(v.piece(Piece::WhyFolder), {rule->steps[step].folder});
    }
    case KeepCriterion::Chosen: return v.piece(Piece::WhyChosen);
    case KeepCriterion::None: break;
  }
  return "";
}

Message KeepRuleProblem(dupes::KeepRuleError error, const std::string& word) {
  switch (error) {
    case dupes::KeepRuleError::Empty: return Message{Said::KeepRuleEmpty};
    case dupes::KeepRuleError::Repeated: return Message{Said::KeepRuleRepeated, {word}};
    case dupes::KeepRuleError::ReferenceNotFirst: return Message{Said::KeepRuleReferenceNotFirst, {word}};
    case dupes::KeepRuleError::UnknownWord:
    case dupes::KeepRuleError::None: break;
  }
  return Message{Said::KeepRuleUnknownWord, {word}};
}

std::string ProgressWords(ProgressStep step, std::size_t done, std::size_t total, long long secondsLeft,
                          Language language) {
  const Vocabulary& v = VocabularyOf(language);
  static constexpr Piece kSteps[] = {Piece::ProgressListing,   Piece::ProgressKeying,    Piece::ProgressGrouping,
                                     Piece::ProgressMeasuring, Piece::ProgressComparing, Piece::ProgressExtracting};
  std::string text = v.piece(kSteps[static_cast<int>(step)]);
  if (total > 0)
    text += Fill(v.piece(Piece::ProgressCount), {}, {static_cast<long long>(done), static_cast<long long>(total)});
  if (secondsLeft >= 0) {
    char left[32];
    if (secondsLeft >= 3600)
      std::snprintf(left, sizeof left, "%lld:%02lld:%02lld", secondsLeft / 3600, secondsLeft / 60 % 60,
                    secondsLeft % 60);
    else
      std::snprintf(left, sizeof left, "%lld:%02lld", secondsLeft / 60, secondsLeft % 60);
    text += Fill(v.piece(Piece::ProgressLeft), {left});
  }
  return text;
}

ProgressStep ProgressStepOf(TwinscanStep step) {
  switch (step) {
    case TwinscanStep::Listing: return ProgressStep::Listing;
    case TwinscanStep::Keying: return ProgressStep::Keying;
    case TwinscanStep::Grouping: return ProgressStep::Grouping;
    case TwinscanStep::Extracting: break;
  }
  return ProgressStep::Extracting;
}

ProgressStep ProgressStepOf(SearchPhase phase) {
  return phase == SearchPhase::Measuring ? ProgressStep::Measuring : ProgressStep::Comparing;
}

std::string Words(Button button, Language language) { return VocabularyOf(language).button(button); }

std::string Words(CliText text, Language language) { return VocabularyOf(language).cli(text); }

StepWords WordsOfStep(int command, Language language) {
  const std::string words = VocabularyOf(language).step(command);
  const std::size_t tab = words.find('\t');
  if (tab == std::string::npos) return {};
  return {words.substr(0, tab), words.substr(tab + 1)};
}

}  // namespace pictray::texts
