// "表示設定": whether list-up keeps only files that start like a JPEG
// ("JpegCheck"), the characters a folder name may not hold
// ("disabledchar") and the four programs the lists and the moved-to folder
// open with ("app" .. "app3"). It shows the settings file; OK writes both
// files, any other close nothing.
#pragma once

#include <QDialog>

#include "app/pictray/window_settings.h"

class QCheckBox;
class QLineEdit;

namespace pictray::app {

class DisplayDialog : public QDialog {
 public:
  DisplayDialog(QWidget* owner, const SettingsFiles& files);

  void accept() override;

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  void Build();
  void Load();
  void BrowseProgram(QLineEdit* edit);

  SettingsFiles files_;
  const fs::Env& env_ = fs::DefaultEnv();
  QCheckBox* JpegCheck_ = nullptr;     // 1010
  QLineEdit* disabledchar_ = nullptr;  // 10041
  QLineEdit* szApp_[4] = {nullptr, nullptr, nullptr, nullptr};  // 10045, 10046, 10047, 10058
};

// Opens the dialog and waits for it (OpenModalWindow6); true after OK.
bool OpenModalWindow6(QWidget* owner, const SettingsFiles& files);

// The longest start of `bytes` of at most `most` bytes that does not cut a
// UTF-8 character.
std::string CutAtCharacter(const std::string& bytes, std::size_t most);

}  // namespace pictray::app
