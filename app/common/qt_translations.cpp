#include "app/common/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace pictray::ui {

bool InstallQtTranslations(QCoreApplication& app) {
  // Owned by the application, which keeps it for as long as it runs.
  auto* qt = new QTranslator(&app);
  if (!qt->load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_",
                QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete qt;
    return false;
  }
  return QCoreApplication::installTranslator(qt);
}

}  // namespace pictray::ui
