// "プロパティ設定": the folder of the work file, the pre-read program and
// whether the close box may end the program; the program's name and
// version. OK writes them; any other close stores nothing.
#pragma once

#include <QDialog>
#include <QIcon>

#include <optional>
#include <string>

#include "app/pictray/window_settings.h"

class QCheckBox;
class QLineEdit;

namespace pictray::app {

// What the window takes over after OK.
struct PropertiesResult {
  std::string WinClose;  // "1" or "0"
  std::string ZenApp;    // the pre-read program
};

class PropertiesDialog : public QDialog {
 public:
  PropertiesDialog(QWidget* owner, const SettingsFiles& files, const std::string& programDir,
                   const QString& ProName, const QIcon& icon);

  void accept() override;
  const PropertiesResult& values() const { return result_; }

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  void Build();
  void Load();
  void BrowseWorkFolder();
  void BrowseProgram();
  // The message for a work folder that is no folder, or "".
  std::string RefuseWorkFolder(const std::string& folder) const;

  SettingsFiles files_;
  const fs::Env& env_ = fs::DefaultEnv();
  std::string programDir_;
  QString ProName_;
  QIcon icon_;
  PropertiesResult result_;
  QLineEdit* szWPath_ = nullptr;  // 10042
  QLineEdit* ZenApp_ = nullptr;   // 10043
  QCheckBox* WinClose_ = nullptr; // 1010
};

// Opens the dialog and waits for it (OpenModalWindowP); the new values
// after OK, nothing when it was closed otherwise.
std::optional<PropertiesResult> OpenModalWindowP(QWidget* owner, const SettingsFiles& files,
                                                 const std::string& programDir, const QString& ProName,
                                                 const QIcon& icon);

}  // namespace pictray::app
