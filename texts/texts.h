// The words of both programs' windows and command lines for what the engine
// reports (engine/run/message.h), in Japanese or English, and the rule that
// chooses the language. No Qt: the command lines link it too.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/list/twin_groups.h"
#include "engine/list/twin_table.h"
#include "engine/run/message.h"
#include "engine/run/twinscan_host.h"

namespace pictray::texts {

enum class Language { Japanese, English };
struct Vocabulary;

// A language the programs speak. Another is a row of the table, its words
// file (words_XX.cpp) and its translations (translations/*_XX.ts).
struct LanguageInfo {
  Language language;
  std::string_view code;        // "ja": --lang's value, a locale's language
  std::string_view fileEnding;  // "_en": of its translation files; none for the texts in the sources
  const Vocabulary* words;
};
// Every language, the one of the texts in the sources first.
std::span<const LanguageInfo> Languages();
const LanguageInfo& InfoOf(Language language);

// The message in `language`; names keep their bytes.
std::string Words(const Message& message, Language language);
std::string Words(Button button, Language language);
// A command line's own text (its usage, its --help).
// pictray-cli's help is its head, the analyses list-up can run, its
// options, the steps' heading, a paragraph per step, and its tail.
enum class CliText {
  TwinscanUsage,
  TwinscanHelp,
  PictrayUsage,
  PictrayHelpHead,
  PictrayHelpOptions,
  PictrayHelpSteps,
  PictrayHelpTail,
};
std::string Words(CliText text, Language language);
// A pictray-cli step's words for its help: the value it takes after its
// "=" (none for a step without one) and what it does, over lines of their
// own after the first. Empty for a command that is no step.
struct StepWords {
  std::string value;
  std::string what;
};
StepWords WordsOfStep(int command, Language language);

// A size as people read it: "512 bytes", "1.2 MB" (a KB is 1024 bytes).
std::string SizeWords(std::uint64_t bytes, Language language);

// Why a group's kept file stays: "no copy marker", "more pixels 4032x3024 >
// 1600x1200", "has its Live Photo video", "camera original", ...; names
// (a preferred folder, named from `rule` when given) keep their bytes.
// Empty for KeepCriterion::None.
std::string Words(const dupes::KeepReason& why, Language language, const dupes::KeepRule* rule = nullptr);
// A picture format's name (PictureKind).
std::string Words(dupes::PictureKind kind, Language language);

// A refused keep rule as a message (Said::KeepRule*), the word at fault named.
Message KeepRuleProblem(dupes::KeepRuleError error, const std::string& word);

// twinscan-cli's progress on a terminal: the step, how far when the total
// is known, and the time left when it is estimated (seconds; < 0 unknown).
enum class ProgressStep { Listing, Keying, Grouping, Measuring, Comparing, Extracting };
std::string ProgressWords(ProgressStep step, std::size_t done, std::size_t total, long long secondsLeft,
                          Language language);
// The step a run's host is told of, as the progress words name it.
ProgressStep ProgressStepOf(TwinscanStep step);
ProgressStep ProgressStepOf(SearchPhase phase);

// The language whose code is `value`; nothing for anything else.
std::optional<Language> LanguageNamed(std::string_view value);
// The language of a POSIX locale name ("en_GB.UTF-8", "ja_JP", "C"): the
// one of its code, English for every other one (C and POSIX included).
Language LanguageOfLocaleName(std::string_view name);
// The locale's language as the C library chooses it: LC_ALL, else
// LC_MESSAGES, else LANG; English when none is set.
Language LanguageOfEnvironment();

// What the command line asks for. main's arguments lose "--lang VALUE"
// ("--lang=VALUE"; argc and argv shrink), so that the rest is read as before.
struct LanguageArgument {
  bool given = false;
  Language language = Language::Japanese;
  std::string error;  // not empty: the argument was wrong
};
LanguageArgument TakeLanguageArgument(int& argc, char** argv);
// The argument's language when one was given, else the environment's.
Language ChosenLanguage(const LanguageArgument& argument);

}  // namespace pictray::texts
