// The strength dialog (ModalProcSrgb): the channel ThreadTopRGB measures,
// the limit of the other two channels, the valid range (a lower bound or
// an explicit range) and the one-folder option, "SRgb0".."SRgb6". It shows
// the settings file; OK writes all seven keys to both files, any other
// close nothing.
#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <string>

#include "app/pictray/window_settings.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QVBoxLayout;

namespace pictray::ui {
class TrackBar;
}

namespace pictray::app {

inline constexpr const char* kRangeNotSet = QT_TRANSLATE_NOOP("Pictray", "有効範囲が未設定");

class SrgbDialog : public QDialog {
 public:
  SrgbDialog(QWidget* owner, const SettingsFiles& files);

  // Refused with "有効範囲が未設定" while the range mode lacks an end.
  void accept() override;

 private:
  void BuildChannel(QVBoxLayout* column);
  void BuildLimit(QVBoxLayout* column);
  void BuildLowerBound(QVBoxLayout* column);
  void BuildRange(QVBoxLayout* column);
  void Load();
  // Each mode turns off the controls of the other.
  void SetRangeMode(bool range);
  // The range's ends as the second track bar's selection.
  void ShowRange();
  void WriteSettings() const;

  SettingsFiles files_;
  const fs::Env& env_ = fs::DefaultEnv();
  // Kept as read where no control stands for the value in the file.
  std::string SRgb0_, SRgb2_, SRgb5_, SRgb6_;
  QButtonGroup* channel_ = nullptr;  // ids 0 red, 1 green, 2 blue
  QButtonGroup* limit_ = nullptr;    // ids 64, 128, 255
  QRadioButton* lowerBound_ = nullptr;
  QRadioButton* range_ = nullptr;
  ui::TrackBar* lowerBar_ = nullptr;
  QSpinBox* lowerSpin_ = nullptr;
  ui::TrackBar* rangeBar_ = nullptr;
  QPushButton* st_ = nullptr;
  QPushButton* ed_ = nullptr;
  QPushButton* cl_ = nullptr;
  QLineEdit* rangeStart_ = nullptr;
  QLineEdit* rangeEnd_ = nullptr;
  QCheckBox* SRgb3_ = nullptr;
};

// Opens the dialog and waits for it (OpenModalWindowSrgb); true when OK
// closed it (RgbStringSet).
bool OpenModalWindowSrgb(QWidget* owner, const SettingsFiles& files);

}  // namespace pictray::app
