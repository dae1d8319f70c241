// The ratio dialog (ModalProcPrgb): how the two ratio workers and list-up in
// the ratio mode name a picture, "PRgb0".."PRgb6". It shows the working
// copy; OK writes all seven keys to both files, any other close nothing.
#pragma once

#include <QDialog>

#include "app/pictray/window_settings.h"

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QSpinBox;
class QVBoxLayout;

namespace pictray::ui {
class TrackBar;
}

namespace pictray::app {

class PrgbDialog : public QDialog {
 public:
  PrgbDialog(QWidget* owner, const SettingsFiles& files);

  void accept() override;

 private:
  void BuildChoices(QVBoxLayout* column);
  void BuildAllColourMode(QGridLayout* grid, int row);
  void BuildCut(QVBoxLayout* column);
  void Load();
  // The three all-colour boxes exclude each other; with one checked the
  // ratio mode's group is off and the letters may be sorted.
  void AllColourBoxToggled(int mode, bool checked);
  void ShowCut(bool on);
  void WriteSettings() const;

  SettingsFiles files_;
  const fs::Env& env_ = fs::DefaultEnv();
  QCheckBox* PRgb0normal_ = nullptr;
  QCheckBox* PRgb0many_ = nullptr;
  QCheckBox* PRgb6_ = nullptr;
  QGroupBox* ratioGroup_ = nullptr;
  QCheckBox* PRgb1normal_ = nullptr;
  QCheckBox* PRgb1high_ = nullptr;
  QCheckBox* PRgb2normal_ = nullptr;
  QCheckBox* PRgb2high_ = nullptr;
  QCheckBox* PRgb3_[3] = {nullptr, nullptr, nullptr};  // "0" all, "1" frequent, "2" rare
  QCheckBox* PRgb5_ = nullptr;
  QCheckBox* cutOn_ = nullptr;
  ui::TrackBar* cutBar_ = nullptr;
  QSpinBox* cutSpin_ = nullptr;
};

// Opens the dialog and waits for it (OpenModalWindowPrgb); true when OK
// closed it (RgbPerSet).
bool OpenModalWindowPrgb(QWidget* owner, const SettingsFiles& files);

}  // namespace pictray::app
