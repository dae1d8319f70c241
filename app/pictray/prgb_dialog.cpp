#include "app/pictray/prgb_dialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <initializer_list>

#include "app/common/control_factory.h"
#include "engine/settings/profile.h"
#include "engine/settings/settings_keys.h"

namespace pictray::app {
namespace {

// The cut keeps 1 to 20 leading characters of a name.
constexpr int kCutMin = 1;
constexpr int kCutMax = 20;
constexpr const char* kRatioMode = "9";

QCheckBox* Box(QWidget* parent, const char* name, const char* text, const char* tip) {
  QCheckBox* b = ui::MakeCheckBoxWnd(parent, 0, QCoreApplication::translate("Pictray", text));
  b->setObjectName(name);
  ui::MakeToolTip(b, QCoreApplication::translate("Pictray", tip));
  return b;
}

QLabel* Label(QWidget* parent, const char* text) {
  return new QLabel(QCoreApplication::translate("Pictray", text), parent);
}

// Two boxes as one choice: checking one unchecks the other, unchecking one
// checks the other.
void Pair(QCheckBox* a, QCheckBox* b) {
  QObject::connect(a, &QCheckBox::toggled, b, [b](bool on) { b->setChecked(!on); });
  QObject::connect(b, &QCheckBox::toggled, a, [a](bool on) { a->setChecked(!on); });
}

// Shows a pair from its key: the second box stands for "1".
void SetPair(QCheckBox* first, QCheckBox* second, const std::string& value) {
  second->setChecked(value == "1");
  first->setChecked(value != "1");
}

const char* Bit(const QCheckBox* b) { return b->isChecked() ? "1" : "0"; }

}  // namespace

PrgbDialog::PrgbDialog(QWidget* owner, const SettingsFiles& files) : QDialog(owner), files_(files) {
  setObjectName("PrgbDialog");
  setWindowTitle(QCoreApplication::translate("Pictray", "RGB比率分類"));
  setFont(ui::MinchoFont(13));
  auto* column = new QVBoxLayout(this);
  BuildChoices(column);
  column->addWidget(Label(this, "=========================================="));
  BuildCut(column);
  QPushButton* ok = ui::MakeTextButtonWnd(this, 0, "OK");
  ok->setObjectName("OK");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &PrgbDialog::accept);
  column->addWidget(ok, 0, Qt::AlignRight);
  Load();
}

void PrgbDialog::BuildChoices(QVBoxLayout* column) {
  auto* grid = new QGridLayout;
  PRgb0normal_ = Box(this, "PRgb0_0", QT_TRANSLATE_NOOP("Pictray", "普通"),
                     QT_TRANSLATE_NOOP("Pictray", "同系色に分類して集計します"));
  PRgb0many_ = Box(this, "PRgb0_1", QT_TRANSLATE_NOOP("Pictray", "多"),
                   QT_TRANSLATE_NOOP("Pictray", "同系色に分類して集計します"));
  Pair(PRgb0normal_, PRgb0many_);
  grid->addWidget(Label(this, QT_TRANSLATE_NOOP("Pictray", "色の分類")), 0, 0);
  grid->addWidget(PRgb0normal_, 0, 1);
  grid->addWidget(PRgb0many_, 0, 2);

  PRgb6_ = Box(this, "PRgb6", "", QT_TRANSLATE_NOOP("Pictray", "使用数が少ない色順に名前付けします"));
  grid->addWidget(Label(this, QT_TRANSLATE_NOOP("Pictray", "低頻度順")), 1, 0);
  grid->addWidget(PRgb6_, 1, 1);

  ratioGroup_ = ui::MakeGroupBoxWindow(this, 0);
  ratioGroup_->setObjectName("ratioGroup");
  ratioGroup_->setTitle(QCoreApplication::translate("Pictray", "色比率モ－ド"));
  auto* inner = new QGridLayout(ratioGroup_);
  PRgb1normal_ = Box(ratioGroup_, "PRgb1_0", QT_TRANSLATE_NOOP("Pictray", "普通"),
                     QT_TRANSLATE_NOOP("Pictray", "使用数が上位の色を基準に分類します"));
  PRgb1high_ = Box(ratioGroup_, "PRgb1_1", QT_TRANSLATE_NOOP("Pictray", "高"),
                   QT_TRANSLATE_NOOP("Pictray", "使用数が上位の色を基準に分類します"));
  PRgb2normal_ = Box(ratioGroup_, "PRgb2_0", QT_TRANSLATE_NOOP("Pictray", "普通"),
                     QT_TRANSLATE_NOOP("Pictray", "色の種類数を基準に分類します"));
  PRgb2high_ = Box(ratioGroup_, "PRgb2_1", QT_TRANSLATE_NOOP("Pictray", "高"),
                   QT_TRANSLATE_NOOP("Pictray", "色の種類数を基準に分類します"));
  Pair(PRgb1normal_, PRgb1high_);
  Pair(PRgb2normal_, PRgb2high_);
  inner->addWidget(Label(ratioGroup_, QT_TRANSLATE_NOOP("Pictray", "色数優先度")), 0, 0);
  inner->addWidget(PRgb1normal_, 0, 1);
  inner->addWidget(PRgb1high_, 0, 2);
  inner->addWidget(Label(ratioGroup_, QT_TRANSLATE_NOOP("Pictray", "色種優先度")), 1, 0);
  inner->addWidget(PRgb2normal_, 1, 1);
  inner->addWidget(PRgb2high_, 1, 2);
  grid->addWidget(ratioGroup_, 2, 0, 1, 4);

  BuildAllColourMode(grid, 3);
  PRgb5_ = Box(this, "PRgb5", "", QT_TRANSLATE_NOOP("Pictray", "命名時,文字順にします"));
  grid->addWidget(Label(this, QT_TRANSLATE_NOOP("Pictray", "(ソ－ト名称)")), 4, 0);
  grid->addWidget(PRgb5_, 4, 1);
  column->addLayout(grid);
}

void PrgbDialog::BuildAllColourMode(QGridLayout* grid, int row) {
  const struct {
    const char* name;
    const char* text;
    const char* tip;
  } boxes[] = {
      {"PRgb3_0", QT_TRANSLATE_NOOP("Pictray", "普通"), QT_TRANSLATE_NOOP("Pictray", "全ての使用色を抽出します")},
      {"PRgb3_1", QT_TRANSLATE_NOOP("Pictray", "高頻度色"),
       QT_TRANSLATE_NOOP("Pictray", "全ての使用色から使用数が多い色のみ抽出")},
      {"PRgb3_2", QT_TRANSLATE_NOOP("Pictray", "低頻度色"),
       QT_TRANSLATE_NOOP("Pictray", "全ての使用色から使用数が少ない色のみ抽出")}};
  grid->addWidget(Label(this, QT_TRANSLATE_NOOP("Pictray", "全色モ－ド")), row, 0);
  for (int mode = 0; mode < 3; ++mode) {
    PRgb3_[mode] = Box(this, boxes[mode].name, boxes[mode].text, boxes[mode].tip);
    connect(PRgb3_[mode], &QCheckBox::toggled, this, [this, mode](bool on) { AllColourBoxToggled(mode, on); });
    grid->addWidget(PRgb3_[mode], row, mode + 1);
  }
}

void PrgbDialog::BuildCut(QVBoxLayout* column) {
  auto* row = new QHBoxLayout;
  cutOn_ = Box(this, "PRgb4on", QT_TRANSLATE_NOOP("Pictray", "有効"),
               QT_TRANSLATE_NOOP("Pictray", "分類名を頭から指定した文字数にします"));
  cutBar_ = ui::MakeTrackBarWnd(this, 0, kCutMin, kCutMax);
  cutBar_->setObjectName("PRgb4bar");
  cutBar_->setMinimumWidth(200);
  cutSpin_ = new QSpinBox(this);
  cutSpin_->setObjectName("PRgb4edit");
  cutSpin_->setRange(kCutMin, kCutMax);
  // Hidden, they keep their room: the dialog does not jump under the pointer.
  for (QWidget* w : std::initializer_list<QWidget*>{cutBar_, cutSpin_}) {
    QSizePolicy keep = w->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    w->setSizePolicy(keep);
  }
  connect(cutBar_, &QSlider::valueChanged, cutSpin_, &QSpinBox::setValue);
  connect(cutSpin_, &QSpinBox::valueChanged, cutBar_, &QSlider::setValue);
  connect(cutOn_, &QCheckBox::toggled, this, &PrgbDialog::ShowCut);
  row->addWidget(Label(this, QT_TRANSLATE_NOOP("Pictray", "分類化")));
  row->addWidget(cutOn_);
  row->addWidget(cutBar_);
  row->addWidget(cutSpin_);
  row->addStretch();
  column->addLayout(row);
  column->addWidget(Label(this, QT_TRANSLATE_NOOP("Pictray", "先頭より、1->20桁　にて分類")));
  ShowCut(false);
}

void PrgbDialog::Load() {
  SetPair(PRgb0normal_, PRgb0many_, ReadSetting(env_, key::PRgb0, files_.profile));
  PRgb6_->setChecked(ReadSetting(env_, key::PRgb6, files_.profile) == "1");
  SetPair(PRgb1normal_, PRgb1high_, ReadSetting(env_, key::PRgb1, files_.profile));
  SetPair(PRgb2normal_, PRgb2high_, ReadSetting(env_, key::PRgb2, files_.profile));
  PRgb5_->setChecked(ReadSetting(env_, key::PRgb5, files_.profile) == "1");
  // The all-colour box after "PRgb6": the frequent colours' rule overrides it.
  const std::string mode = ReadSetting(env_, key::PRgb3, files_.profile);
  for (int m = 0; m < 3; ++m) PRgb3_[m]->setChecked(mode == std::to_string(m));
  AllColourBoxToggled(-1, false);
  const int cut = ProfileNumber(ReadSetting(env_, key::PRgb4, files_.profile));
  cutOn_->setChecked(cut != 0);
  if (cut != 0) cutBar_->setValue(cut);
}

void PrgbDialog::AllColourBoxToggled(int mode, bool checked) {
  if (checked)
    for (int m = 0; m < 3; ++m)
      if (m != mode) PRgb3_[m]->setChecked(false);
  const bool none = !PRgb3_[0]->isChecked() && !PRgb3_[1]->isChecked() && !PRgb3_[2]->isChecked();
  ratioGroup_->setEnabled(none);
  PRgb5_->setEnabled(!none);
  if (none) PRgb6_->setEnabled(true);
  // Ranking from the least used contradicts keeping the frequent colours.
  if (checked && mode == 1) {
    PRgb6_->setChecked(false);
    PRgb6_->setEnabled(false);
  }
}

void PrgbDialog::ShowCut(bool on) {
  cutBar_->setVisible(on);
  cutSpin_->setVisible(on);
  if (on) cutBar_->setValue(kCutMin);
}

void PrgbDialog::accept() {
  WriteSettings();
  QDialog::accept();
}

void PrgbDialog::WriteSettings() const {
  std::string mode = kRatioMode;
  for (int m = 0; m < 3; ++m)
    if (PRgb3_[m]->isChecked()) mode = std::to_string(m);
  const std::pair<const SettingKey*, std::string> values[] = {
      {&key::PRgb0, Bit(PRgb0many_)},
      {&key::PRgb1, Bit(PRgb1high_)},
      {&key::PRgb2, Bit(PRgb2high_)},
      {&key::PRgb3, mode},
      {&key::PRgb4, cutOn_->isChecked() ? std::to_string(cutBar_->value()) : "0"},
      {&key::PRgb5, Bit(PRgb5_)},
      {&key::PRgb6, Bit(PRgb6_)}};
  for (const auto& [k, value] : values) {
    WriteSetting(env_, *k, value, files_.GRprofile);
    WriteSetting(env_, *k, value, files_.profile);
  }
}

bool OpenModalWindowPrgb(QWidget* owner, const SettingsFiles& files) {
  PrgbDialog dialog(owner, files);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace pictray::app
