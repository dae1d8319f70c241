#include "app/pictray/rgb_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/common/control_factory.h"
#include "app/common/text_bytes.h"
#include "engine/colour/rgb_name.h"
#include "engine/settings/settings_keys.h"

namespace pictray::app {
namespace {

using ui::TextOf;

// The longest own colour: RRR:GGG:BBB.
constexpr int kExecRgbLength = 11;

QCheckBox* Box(QWidget* parent, const char* name, const char* text) {
  QCheckBox* b = ui::MakeCheckBoxWnd(parent, 0, QCoreApplication::translate("Pictray", text));
  b->setObjectName(name);
  return b;
}

const char* Bit(const QCheckBox* b) { return b->isChecked() ? "1" : "0"; }

}  // namespace

RgbDialog::RgbDialog(QWidget* owner, const SettingsFiles& files)
    : QDialog(owner), files_(files), strJpos_bit_(MakeJposBit({})) {
  setObjectName("RgbDialog");
  setWindowTitle(QCoreApplication::translate("Pictray", "RGB解析"));
  setFont(ui::MinchoFont(13));
  auto* column = new QVBoxLayout(this);
  BuildExclusions(column);
  BuildCoarsening(column);
  BuildCells(column, ReadSetting(env_, key::PartX, files_.profile) == "8" ? 8 : 4);
  start_ = ui::MakeTextButtonWnd(this, 0, QCoreApplication::translate("Pictray", "スタート"));
  start_->setObjectName("start");
  start_->setEnabled(false);  // nothing to sample before a cell is chosen
  connect(start_, &QPushButton::clicked, this, [this] {
    RebuildSelection();
    accept();
  });
  column->addWidget(start_);
}

void RgbDialog::BuildExclusions(QVBoxLayout* column) {
  Exec255bit_ = Box(this, "Exec255bit", QT_TRANSLATE_NOOP("Pictray", "255:255:255 を除外"));
  Exec000bit_ = Box(this, "Exec000bit", QT_TRANSLATE_NOOP("Pictray", "0:0:0 を除外"));
  ExecRGB_ = ui::Make_EditWindow(this, 0);
  ExecRGB_->setObjectName("ExecRGB");
  ExecRGB_->setMaxLength(kExecRgbLength);
  ExecRGB_->setFixedWidth(ExecRGB_->fontMetrics().horizontalAdvance("000:000:000") + 16);
  ExecOWNbit_ = Box(this, "ExecOWNbit", QT_TRANSLATE_NOOP("Pictray", "を除外"));
  PixelPassbit_ = Box(this, "PixelPassbit", QT_TRANSLATE_NOOP("Pictray", "1ピクセルとばし検索"));

  Exec255bit_->setChecked(ReadSetting(env_, key::Exec255bit, files_.profile) == "1");
  Exec000bit_->setChecked(ReadSetting(env_, key::Exec000bit, files_.profile) == "1");
  ExecOWNbit_->setChecked(ReadSetting(env_, key::ExecOWNbit, files_.profile) == "1");
  ExecRGB_->setText(TextOf(ReadSetting(env_, key::ExecRGB, files_.profile)));
  PixelPassbit_->setChecked(ReadSetting(env_, key::PixelPassbit, files_.profile) == "1");

  column->addWidget(Exec255bit_);
  column->addWidget(Exec000bit_);
  auto* own = new QHBoxLayout;
  own->addWidget(ExecRGB_);
  own->addWidget(ExecOWNbit_);
  own->addStretch();
  column->addLayout(own);
  column->addWidget(PixelPassbit_);
}

void RgbDialog::BuildCoarsening(QVBoxLayout* column) {
  // One choice in four boxes: checking one unchecks the others.
  RGB64_ = new QButtonGroup(this);
  const struct {
    int value;
    const char* text;
  } choices[] = {{1, QT_TRANSLATE_NOOP("Pictray", "大分類化(RGB/64)")},
                 {2, QT_TRANSLATE_NOOP("Pictray", "中分類化(RGB/32)")},
                 {3, QT_TRANSLATE_NOOP("Pictray", "小分類化(RGB/16)")},
                 {0, QT_TRANSLATE_NOOP("Pictray", "分類化無し")}};
  RGB64read_ = ReadSetting(env_, key::RGB64, files_.profile);
  auto* row = new QHBoxLayout;
  for (const auto& c : choices) {
    const std::string value = std::to_string(c.value);
    QCheckBox* b = Box(this, ("RGB64_" + value).c_str(), c.text);
    RGB64_->addButton(b, c.value);
    b->setChecked(RGB64read_ == value);
    row->addWidget(b);
  }
  row->addStretch();
  column->addLayout(row);
}

void RgbDialog::BuildCells(QVBoxLayout* column, int partX) {
  auto* grid = new QGridLayout;
  grid->setSpacing(2);
  for (int k = 1; k <= partX * partX; ++k) {
    QPushButton* cell = ui::MakeCheckButtonWnd(this, k, QString::number(k));
    cell->setObjectName(QString("cell%1").arg(k));
    cell->setFixedSize(partX == 8 ? 36 : 56, partX == 8 ? 28 : 40);
    connect(cell, &QPushButton::clicked, this, &RgbDialog::RebuildSelection);
    grid->addWidget(cell, (k - 1) / partX, (k - 1) % partX);
    cells_.push_back(cell);
  }
  column->addLayout(grid);
  column->setAlignment(grid, Qt::AlignHCenter);
}

void RgbDialog::RebuildSelection() {
  std::vector<int> chosen;
  for (std::size_t i = 0; i < cells_.size(); ++i)
    if (cells_[i]->isChecked()) chosen.push_back(static_cast<int>(i) + 1);
  strJpos_bit_ = MakeJposBit(chosen);
  start_->setEnabled(!chosen.empty());
}

void RgbDialog::done(int result) {
  WriteSettings();
  QDialog::done(result);
}

void RgbDialog::WriteSettings() const {
  const int coarsening = RGB64_->checkedId();
  const std::pair<const SettingKey*, std::string> values[] = {
      {&key::Exec255bit, Bit(Exec255bit_)},
      {&key::Exec000bit, Bit(Exec000bit_)},
      {&key::ExecOWNbit, Bit(ExecOWNbit_)},
      {&key::PixelPassbit, Bit(PixelPassbit_)},
      {&key::ExecRGB, ui::BytesOf(ExecRGB_->text())},
      {&key::RGB64, coarsening < 0 ? RGB64read_ : std::to_string(coarsening)}};
  for (const auto& [k, value] : values) {
    WriteSetting(env_, *k, value, files_.profile);
    WriteSetting(env_, *k, value, files_.GRprofile);
  }
}

bool OpenModalWindowRGB(QWidget* owner, const SettingsFiles& files, std::string* strJpos_bit) {
  RgbDialog dialog(owner, files);
  if (dialog.exec() != QDialog::Accepted) return false;
  *strJpos_bit = dialog.strJpos_bit();
  return true;
}

}  // namespace pictray::app
