// Qt's own dialogs (folder browser, file pickers, standard buttons) in
// Japanese, like the rest of the windows.
#pragma once

class QCoreApplication;

namespace pictray::ui {

// Installs the Japanese translation of Qt's own texts from the system's Qt
// translations; false when it is not installed (the dialogs stay English).
bool InstallQtTranslations(QCoreApplication& app);

}  // namespace pictray::ui
