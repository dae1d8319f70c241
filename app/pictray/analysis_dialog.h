// "解析設定": what the Exif run labels a file with ("ExifSel"), the two
// optional tests of the NG analysis ("NullCheck" with "NullByte",
// "JlibCheck"), whether files of other formats than JPEG are analysed
// ("AllFormats"), whether an Exif label ends with its byte order
// ("ExifOrderTag", written only when changed) and how many colours the
// colour sampling may collect ("samcount"). It shows the settings file. A
// click on a box counts at once for the running program (its working copy);
// OK writes every value to both files, any other close stores nothing more.
#pragma once

#include <QDialog>

#include <string>

#include "app/pictray/exif_ladder.h"
#include "app/pictray/window_settings.h"

class QCheckBox;
class QGridLayout;
class QLineEdit;

namespace pictray::app {

class AnalysisDialog : public QDialog {
 public:
  AnalysisDialog(QWidget* owner, const SettingsFiles& files);

  void accept() override;
  const std::string& exifSel() const { return ExifSel_; }

 private:
  void BuildDateLines(QGridLayout* grid);
  void BuildChecks(QGridLayout* grid);
  void Load();
  ExifBoxes Boxes() const;
  void ShowBoxes(const ExifBoxes& boxes);
  void ExifBoxClicked(ExifBox box, bool checked);
  // A switch the running program reads from its working copy.
  void StoreForThisRun(const SettingKey& k, const std::string& value);
  // The message for a count that is no positive number, or "".
  std::string RefuseCount(const QLineEdit* edit, const char* what) const;

  SettingsFiles files_;
  const fs::Env& env_ = fs::DefaultEnv();
  std::string ExifSel_;
  QCheckBox* boxes_[kExifBoxCount] = {};
  QCheckBox* NullCheck_ = nullptr;  // 10020
  QLineEdit* NullByte_ = nullptr;   // 10041
  QCheckBox* JlibCheck_ = nullptr;  // 10021
  QCheckBox* AllFormats_ = nullptr; // 10099
  QCheckBox* ExifOrderTag_ = nullptr;  // 10100
  bool ExifOrderTagOnOpen_ = true;
  QCheckBox* NameDate_ = nullptr;  // 10105
  QCheckBox* FileDate_ = nullptr;  // 10106
  bool NameDateOnOpen_ = false, FileDateOnOpen_ = false;
  QLineEdit* samcount_ = nullptr;   // 10056
};

// Opens the dialog and waits for it (OpenModalWindowE); true after OK.
bool OpenModalWindowE(QWidget* owner, const SettingsFiles& files);

}  // namespace pictray::app
