#include "app/common/language.h"

#include <QCoreApplication>
#include <QDir>
#include <QTranslator>

namespace pictray::ui {

LanguageArgument TakeLanguageArgument(int& argc, char** argv) {
  const texts::LanguageArgument taken = texts::TakeLanguageArgument(argc, argv);
  return {taken.given, taken.language, QString::fromStdString(taken.error)};
}

Language ChosenLanguage(const LanguageArgument& argument) {
  return texts::ChosenLanguage({argument.given, argument.language, {}});
}

Language WindowLanguage() {
  // common_en.ts translates this marker into "en".
  return QCoreApplication::translate("ui", "ja") == QLatin1String("en") ? Language::English : Language::Japanese;
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
