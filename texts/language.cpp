#include <cstdlib>

#include "texts/texts.h"

namespace pictray::texts {
namespace {

constexpr std::string_view kOption = "--lang";
// What a locale of no language of ours, or none, reads.
constexpr Language kOtherLocales = Language::English;

// "ja or en": every language's code.
std::string Codes() {
  std::string out;
  const std::span<const LanguageInfo> all = Languages();
  for (std::size_t i = 0; i < all.size(); ++i)
    out += (i == 0 ? "" : i + 1 == all.size() ? " or " : ", ") + std::string(all[i].code);
  return out;
}

LanguageArgument ArgumentOf(std::string_view value) {
  LanguageArgument a;
  a.given = true;
  if (const std::optional<Language> language = LanguageNamed(value))
    a.language = *language;
  else
    a.error = "--lang takes " + Codes() + ", not \"" + std::string(value) + "\"";
  return a;
}

}  // namespace

std::optional<Language> LanguageNamed(std::string_view value) {
  for (const LanguageInfo& info : Languages())
    if (info.code == value) return info.language;
  return std::nullopt;
}

Language LanguageOfLocaleName(std::string_view name) {
  // "ll_CC.codeset@modifier": the language is what comes before '_', '.' or '@'.
  return LanguageNamed(name.substr(0, name.find_first_of("_.@"))).value_or(kOtherLocales);
}

Language LanguageOfEnvironment() {
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(var);
    if (value && *value) return LanguageOfLocaleName(value);
  }
  return kOtherLocales;
}

LanguageArgument TakeLanguageArgument(int& argc, char** argv) {
  LanguageArgument result;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == kOption) {
      if (i + 1 >= argc) {
        result.given = true;
        result.error = "--lang needs a value: " + Codes();
        return result;
      }
      result = ArgumentOf(argv[++i]);
    } else if (arg.starts_with(kOption) && arg.size() > kOption.size() && arg[kOption.size()] == '=') {
      result = ArgumentOf(arg.substr(kOption.size() + 1));
    } else {
      argv[kept++] = argv[i];
      continue;
    }
    if (!result.error.empty()) return result;
  }
  argc = kept;
  argv[argc] = nullptr;
  return result;
}

Language ChosenLanguage(const LanguageArgument& argument) {
  return argument.given ? argument.language : LanguageOfEnvironment();
}

}  // namespace pictray::texts
