#include "app/common/language.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTranslator>

#include <cstdlib>

namespace pictray::ui {
namespace {

constexpr const char* kOption = "--lang";

LanguageArgument ParseValue(const QString& value) {
  LanguageArgument a;
  a.given = true;
  if (value == "ja") {
    a.language = Language::Japanese;
  } else if (value == "en") {
    a.language = Language::English;
  } else {
    a.error = QStringLiteral("--lang takes ja or en, not \"%1\"").arg(value);
  }
  return a;
}

}  // namespace

LanguageArgument TakeLanguageArgument(int& argc, char** argv) {
  // Read as texts, removed as bytes, so that the other arguments (folder
  // names) keep theirs.
  LanguageArgument result;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    const QString arg = QString::fromLocal8Bit(argv[i]);
    const QString withValue = QString(kOption) + "=";
    if (arg == kOption) {
      if (i + 1 >= argc) {
        result.given = true;
        result.error = QStringLiteral("--lang needs a value: ja or en");
        return result;
      }
      result = ParseValue(QString::fromLocal8Bit(argv[++i]));
    } else if (arg.startsWith(withValue)) {
      result = ParseValue(arg.mid(withValue.size()));
    } else {
      argv[kept++] = argv[i];
      continue;
    }
    if (!result.error.isEmpty()) return result;
  }
  argc = kept;
  argv[argc] = nullptr;
  return result;
}

Language LanguageOfLocaleName(const QString& name) {
  // "ll_CC.codeset@modifier": the language is what comes before '_', '.' or '@'.
  const qsizetype end = name.indexOf(QRegularExpression("[_.@]"));
  return name.left(end < 0 ? name.size() : end) == "en" ? Language::English : Language::Japanese;
}

Language LanguageOfEnvironment() {
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(var);
    if (value && *value) return LanguageOfLocaleName(QString::fromLocal8Bit(value));
  }
  return Language::Japanese;
}

Language ChosenLanguage(const LanguageArgument& argument) {
  return argument.given ? argument.language : LanguageOfEnvironment();
}

bool InstallTranslations(QCoreApplication& app, Language language, const QString& folder,
                         const QStringList& names, QString* error) {
  if (language == Language::Japanese) return true;
  for (const QString& name : names) {
    auto* translator = new QTranslator(&app);
    const QString file = QDir(folder).filePath(name + "_en.qm");
    if (!translator->load(file)) {
      delete translator;
      *error = QStringLiteral("cannot load the translation %1").arg(file);
      return false;
    }
    app.installTranslator(translator);
  }
  return true;
}

}  // namespace pictray::ui
