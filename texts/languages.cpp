#include <iterator>

#include "texts/texts.h"
#include "texts/vocabulary.h"

namespace pictray::texts {
namespace {

const LanguageInfo kLanguages[] = {
    {Language::Japanese, "ja", "", &kJapanese},
    {Language::English, "en", "_en", &kEnglish},
};

}  // namespace

std::span<const LanguageInfo> Languages() { return kLanguages; }

const LanguageInfo& InfoOf(Language language) {
  for (const LanguageInfo& info : kLanguages)
    if (info.language == language) return info;
  return kLanguages[0];
}

const Vocabulary& VocabularyOf(Language language) { return *InfoOf(language).words; }

}  // namespace pictray::texts
