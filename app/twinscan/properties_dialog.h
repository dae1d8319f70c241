// "プロパティ設定": the programs that open the extraction folder and a
// listed file.
#pragma once

#include <QDialog>
#include <string>

#include "engine/fs/env.h"

class QLineEdit;

namespace pictray::twinscan {

class PropertiesDialog : public QDialog {
 public:
  PropertiesDialog(QWidget* owner, std::string profile, const QString& proName, const QIcon& icon);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void FoldaSetting0(QLineEdit* edit);
  void Save();

  std::string profile_;
  const fs::Env& env_ = fs::DefaultEnv();
  QString proName_;
  QIcon icon_;
  QLineEdit* openApp_ = nullptr;  // id 10042
  QLineEdit* fileApp_ = nullptr;  // id 10043
};

}  // namespace pictray::twinscan
