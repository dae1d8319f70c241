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
  // Each language's common_XX.ts translates this marker into its code.
  const QByteArray code = QCoreApplication::translate("ui", "ja").toUtf8();
  return texts::LanguageNamed(code.toStdString()).value_or(Language::Japanese);
}

bool InstallTranslations(QCoreApplication& app, Language language, const QString& folder,
                         const QStringList& names, QString* error) {
  const std::string_view ending = texts::InfoOf(language).fileEnding;
  if (ending.empty()) return true;  // the sources' own texts
  for (const QString& name : names) {
    auto* translator = new QTranslator(&app);
    const QString file =
        QDir(folder).filePath(name + QString::fromUtf8(ending.data(), qsizetype(ending.size())) + ".qm");
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
