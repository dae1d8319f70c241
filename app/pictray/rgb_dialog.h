// The RGB analysis dialog: which colours ThreadRGB never picks, whether it
// skips every other pixel, how it coarsens the colour, and which cells of
// the PartX grid it samples. What it shows comes from the working copy;
// whatever way it closes, it writes its settings to both files.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

#include "app/pictray/window_settings.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace pictray::app {

class RgbDialog : public QDialog {
 public:
  RgbDialog(QWidget* owner, const SettingsFiles& files);

  // The chosen cells as ThreadRGB takes them.
  const std::string& strJpos_bit() const { return strJpos_bit_; }
  // Closing by the start button or otherwise: the settings go to both files
  // before the dialog is gone (and so before a run reads them).
  void done(int result) override;

 private:
  void BuildExclusions(QVBoxLayout* column);
  void BuildCoarsening(QVBoxLayout* column);
  void BuildCells(QVBoxLayout* column, int partX);
  // After every cell click: the selection rebuilt from the cell buttons,
  // the start button on exactly when a cell is chosen.
  void RebuildSelection();
  void WriteSettings() const;

  SettingsFiles files_;
  const fs::Env& env_ = fs::DefaultEnv();
  QCheckBox* Exec255bit_ = nullptr;
  QCheckBox* Exec000bit_ = nullptr;
  QCheckBox* ExecOWNbit_ = nullptr;
  QLineEdit* ExecRGB_ = nullptr;
  QCheckBox* PixelPassbit_ = nullptr;
  QButtonGroup* RGB64_ = nullptr;
  std::string RGB64read_;  // kept when the file holds a value no box stands for
  std::vector<QPushButton*> cells_;
  QPushButton* start_ = nullptr;
  std::string strJpos_bit_;
};

// Opens the dialog and waits for it (OpenModalWindowRGB); true when its
// start button closed it, with the chosen cells in strJpos_bit.
bool OpenModalWindowRGB(QWidget* owner, const SettingsFiles& files, std::string* strJpos_bit);

}  // namespace pictray::app
