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
    case Said::NothingExtracted:
    case Said::ExtractedInto: {
      std::string text = Fill(v.said(m.what), m.names);
      if (NumberOf(m, 0) > 0) text += Fill(v.piece(Piece::ExtractLeftDiffers), {}, {NumberOf(m, 0)});
      if (NumberOf(m, 1) > 0) text += Fill(v.piece(Piece::ExtractLeftFailed), {}, {NumberOf(m, 1)});
      return text;
    }
    default: return Fill(v.said(m.what), m.names, m.numbers, m.error);
  }
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
