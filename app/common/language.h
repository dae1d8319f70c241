// The language the windows speak. The texts in the sources are Japanese;
// English comes from the translation files built from translations/*.ts.
// Japanese is chosen for a Japanese locale, English for every other one
// (C, POSIX and none set included); "--lang ja" or "--lang en" overrides the locale.
// Settings, the folder names runs make and the command lines' output are the
// same in either language.
#pragma once

#include <QString>
#include <QStringList>

#include "texts/texts.h"

class QCoreApplication;

namespace pictray::ui {

using Language = texts::Language;

// What the command line asks for: the language, or an error for a bad
// value. main's arguments lose "--lang VALUE" ("--lang=VALUE"; argc and
// argv shrink), so that the rest is read as before.
struct LanguageArgument {
  bool given = false;
  Language language = Language::Japanese;
  QString error;  // not empty: the argument was wrong
};
LanguageArgument TakeLanguageArgument(int& argc, char** argv);

// The argument's language when one was given, else the locale's
// (texts::ChosenLanguage: the one rule of both programs and command lines).
Language ChosenLanguage(const LanguageArgument& argument);

// The language of the translations loaded into the application: English
// once common_en is installed, else Japanese. The windows say what runs
// report in it.
Language WindowLanguage();

// Loads the translations of `names` ("common", "twinscan" ...) for
// `language` from `folder` (files NAME_XX.qm, by the language's file
// ending) into the application. Japanese, the sources' own, loads nothing. False with `error` set when a file is missing or unreadable.
bool InstallTranslations(QCoreApplication& app, Language language, const QString& folder,
                         const QStringList& names, QString* error);

}  // namespace pictray::ui
