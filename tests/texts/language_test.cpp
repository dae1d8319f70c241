#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "texts/texts.h"

namespace pictray {
namespace {

using texts::Language;

TEST(LanguageRule, JapaneseOnlyForJaLocales) {
  const struct {
    const char* locale;
    Language language;
  } rows[] = {
      {"ja_JP.UTF-8", Language::Japanese}, {"ja_JP", Language::Japanese},    {"ja", Language::Japanese},
      {"ja@modifier", Language::Japanese}, {"de_DE.UTF-8", Language::English}, {"fr_FR", Language::English},
      {"en_US.UTF-8", Language::English},  {"C", Language::English},          {"C.UTF-8", Language::English},
      {"POSIX", Language::English},        {"jv_ID", Language::English},      {"", Language::English},
  };
  for (const auto& r : rows) EXPECT_EQ(texts::LanguageOfLocaleName(r.locale), r.language) << r.locale;
}

// Restores the locale variables it was made with when it goes.
class LocaleVariables {
 public:
  LocaleVariables() {
    for (int i = 0; i < 3; ++i)
      if (const char* v = std::getenv(kNames[i])) saved_[i] = v;
  }
  ~LocaleVariables() {
    for (int i = 0; i < 3; ++i) Set(kNames[i], saved_[i]);
  }
  static void Set(const char* name, const std::optional<std::string>& value) {
    if (value) ::setenv(name, value->c_str(), 1);
    else ::unsetenv(name);
  }
  static constexpr const char* kNames[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};

 private:
  std::optional<std::string> saved_[3];
};

// LC_ALL wins over LC_MESSAGES, which wins over LANG; an empty one does not
// count; --lang wins over all of them.
TEST(LanguageRule, EnvironmentThenArgumentChoose) {
  const LocaleVariables restore;
  using V = std::optional<std::string>;
  const struct {
    V lcAll, lcMessages, lang;
    std::optional<Language> argument;
    Language chosen;
  } rows[] = {
      {{}, {}, {}, {}, Language::English},
      {{}, {}, V("ja_JP.UTF-8"), {}, Language::Japanese},
      {{}, {}, V("de_DE.UTF-8"), {}, Language::English},
      {{}, {}, V("fr_FR.UTF-8"), {}, Language::English},
      {V("C"), {}, V("ja_JP.UTF-8"), {}, Language::English},
      {V(""), V("ja_JP.UTF-8"), V("en_US.UTF-8"), {}, Language::Japanese},
      {V("en_US.UTF-8"), V("ja_JP.UTF-8"), {}, {}, Language::English},
      {{}, {}, V("ja_JP.UTF-8"), Language::English, Language::English},
      {{}, {}, {}, Language::Japanese, Language::Japanese},
  };
  for (const auto& r : rows) {
    LocaleVariables::Set("LC_ALL", r.lcAll);
    LocaleVariables::Set("LC_MESSAGES", r.lcMessages);
    LocaleVariables::Set("LANG", r.lang);
    texts::LanguageArgument argument;
    argument.given = r.argument.has_value();
    if (r.argument) argument.language = *r.argument;
    EXPECT_EQ(texts::ChosenLanguage(argument), r.chosen)
        << r.lcAll.value_or("-") << ' ' << r.lcMessages.value_or("-") << ' ' << r.lang.value_or("-");
  }
}

}  // namespace
}  // namespace pictray
