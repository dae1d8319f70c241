#include "app/pictray/srgb_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>
#include <initializer_list>

#include "app/common/control_factory.h"
#include "app/common/message_box.h"
#include "app/common/text_bytes.h"
#include "engine/settings/profile.h"
#include "engine/settings/settings_keys.h"

namespace pictray::app {
namespace {

using ui::BytesOf;
using ui::TextOf;

constexpr int kTop = 255;  // a channel's highest value

// What the dialog shows for a key the settings file lacks; the analysis
// reads the same keys with fallbacks of its own.
constexpr const char* kShownSRgb0 = "0";
constexpr const char* kShownSRgb1 = "255";
constexpr const char* kShownSRgb2 = "128";
constexpr const char* kShownSRgb3 = "0";
constexpr const char* kShownSRgb4 = "0";
constexpr const char* kShownSRgb5 = "0";
constexpr const char* kShownSRgb6 = "0";

QLabel* Label(QWidget* parent, const char* text) {
  return new QLabel(QCoreApplication::translate("Pictray", text), parent);
}

template <typename Button>
Button* Named(Button* b, const char* name, const char* tip) {
  b->setObjectName(name);
  if (tip) ui::MakeToolTip(b, QCoreApplication::translate("Pictray", tip));
  return b;
}

}  // namespace

SrgbDialog::SrgbDialog(QWidget* owner, const SettingsFiles& files) : QDialog(owner), files_(files) {
  setObjectName("SrgbDialog");
  setWindowTitle(QCoreApplication::translate("Pictray", "RGB成分強度分類"));
  setFont(ui::MinchoFont(13));
  auto* column = new QVBoxLayout(this);
  column->addWidget(Label(this, QT_TRANSLATE_NOOP("Pictray", "対象色:選択したRGB値が最大の色を１つ探します")));
  BuildChannel(column);
  BuildLimit(column);
  BuildLowerBound(column);
  BuildRange(column);
  SRgb3_ = Named(ui::MakeCheckBoxWnd(this, 0, QCoreApplication::translate("Pictray", "移動先を1つのフォルダにする")),
                 "SRgb3", nullptr);
  column->addWidget(SRgb3_);

  auto* buttons = new QHBoxLayout;
  QPushButton* ok = Named(ui::MakeTextButtonWnd(this, 0, "OK"), "OK", nullptr);
  QPushButton* cancel =
      Named(ui::MakeTextButtonWnd(this, 0, QCoreApplication::translate("Pictray", "キャンセル")), "cancel", nullptr);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &SrgbDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &SrgbDialog::reject);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  column->addLayout(buttons);
  Load();
}

void SrgbDialog::BuildChannel(QVBoxLayout* column) {
  const struct {
    const char* name;
    const char* text;
    const char* tip;
  } channels[] = {{"SRgb0_0", "R", QT_TRANSLATE_NOOP("Pictray", "各使用色のRGBのR(赤)の値のみ調べます")},
                  {"SRgb0_1", "G", QT_TRANSLATE_NOOP("Pictray", "各使用色のRGBのG(緑)の値のみ調べます")},
                  {"SRgb0_2", "B", QT_TRANSLATE_NOOP("Pictray", "各使用色のRGBのB(青)の値のみ調べます")}};
  channel_ = new QButtonGroup(this);
  auto* row = new QHBoxLayout;
  for (int id = 0; id < 3; ++id) {
    QCheckBox* b = Named(ui::MakeCheckBoxWnd(this, 0, channels[id].text), channels[id].name, channels[id].tip);
    channel_->addButton(b, id);
    row->addWidget(b);
  }
  row->addStretch();
  column->addLayout(row);
}

void SrgbDialog::BuildLimit(QVBoxLayout* column) {
  column->addWidget(Label(this, QT_TRANSLATE_NOOP("Pictray", "非対象色の有効値(値以下が有効-小さい程対象色に近い)")));
  limit_ = new QButtonGroup(this);
  auto* row = new QHBoxLayout;
  for (int value : {64, 128, 255}) {
    const std::string name = "SRgb2_" + std::to_string(value);
    auto* b = Named(new QRadioButton(QString::number(value), this), name.c_str(),
                    QT_TRANSLATE_NOOP("Pictray", "選択したRGB以外の色(RGB)の最大値を設定します"));
    limit_->addButton(b, value);
    row->addWidget(b);
  }
  row->addStretch();
  column->addLayout(row);
}

void SrgbDialog::BuildLowerBound(QVBoxLayout* column) {
  auto* modes = new QButtonGroup(this);
  lowerBound_ = Named(new QRadioButton(QCoreApplication::translate("Pictray", "下限指定"), this), "lowerBound",
                      QT_TRANSLATE_NOOP("Pictray", "選択したRGBの値が有効値以上のデ－タを対象にします"));
  modes->addButton(lowerBound_);
  column->addWidget(lowerBound_);
  column->addWidget(Label(this, QT_TRANSLATE_NOOP("Pictray", "有効値(0-255(値以上が有効-大きい程対象色に近い))")));
  lowerBar_ = Named(ui::MakeTrackBarWnd(this, 0, 0, kTop), "SRgb1bar", nullptr);
  lowerSpin_ = Named(new QSpinBox(this), "SRgb1edit", nullptr);
  lowerSpin_->setRange(0, kTop);
  // The valid range runs from the bound to the top.
  connect(lowerBar_, &QSlider::valueChanged, this, [this](int v) {
    lowerSpin_->setValue(v);
    lowerBar_->SetSelection(v, kTop);
  });
  connect(lowerSpin_, &QSpinBox::valueChanged, lowerBar_, &QSlider::setValue);
  auto* row = new QHBoxLayout;
  row->addWidget(lowerBar_, 1);
  row->addWidget(lowerSpin_);
  column->addLayout(row);
}

void SrgbDialog::BuildRange(QVBoxLayout* column) {
  range_ = Named(new QRadioButton(QCoreApplication::translate("Pictray", "範囲指定"), this), "range",
                 QT_TRANSLATE_NOOP("Pictray", "選択したRGBの値が範囲指定内をデ－タを対象にします"));
  lowerBound_->group()->addButton(range_);
  connect(range_, &QRadioButton::toggled, this, &SrgbDialog::SetRangeMode);
  column->addWidget(range_);
  column->addWidget(Label(this, QT_TRANSLATE_NOOP("Pictray", "対象色の有効値(範囲指定)")));
  rangeBar_ = Named(ui::MakeTrackBarWnd(this, 0, 0, kTop), "rangeBar", nullptr);
  column->addWidget(rangeBar_);
  st_ = Named(ui::MakeTextButtonWnd(this, 0, "st"), "st", QT_TRANSLATE_NOOP("Pictray", "最小値設定"));
  ed_ = Named(ui::MakeTextButtonWnd(this, 0, "ed"), "ed", QT_TRANSLATE_NOOP("Pictray", "最大値設定"));
  cl_ = Named(ui::MakeTextButtonWnd(this, 0, "cl"), "cl", nullptr);
  rangeStart_ = Named(ui::Make_EditWindow(this, 0), "SRgb5", nullptr);
  rangeEnd_ = Named(ui::Make_EditWindow(this, 0), "SRgb6", nullptr);
  auto* row = new QHBoxLayout;
  for (QPushButton* b : {st_, ed_, cl_}) {
    b->setFixedWidth(40);
    row->addWidget(b);
  }
  for (QLineEdit* e : {rangeStart_, rangeEnd_}) {
    e->setMaxLength(3);
    e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,3}"), e));
    e->setFixedWidth(e->fontMetrics().horizontalAdvance("0000") + 12);
    connect(e, &QLineEdit::textChanged, this, &SrgbDialog::ShowRange);
    row->addWidget(e);
  }
  row->addStretch();
  column->addLayout(row);
  connect(st_, &QPushButton::clicked, this, [this] { rangeStart_->setText(QString::number(rangeBar_->value())); });
  connect(ed_, &QPushButton::clicked, this, [this] { rangeEnd_->setText(QString::number(rangeBar_->value())); });
  connect(cl_, &QPushButton::clicked, this, [this] {
    rangeStart_->clear();
    rangeEnd_->clear();
  });
}

void SrgbDialog::Load() {
  const std::string& file = files_.GRprofile;
  SRgb0_ = ReadSetting(env_, key::SRgb0, file, kShownSRgb0);
  SRgb2_ = ReadSetting(env_, key::SRgb2, file, kShownSRgb2);
  SRgb5_ = ReadSetting(env_, key::SRgb5, file, kShownSRgb5);
  SRgb6_ = ReadSetting(env_, key::SRgb6, file, kShownSRgb6);
  for (QAbstractButton* b : channel_->buttons())
    b->setChecked(std::to_string(channel_->id(b)) == SRgb0_);
  for (QAbstractButton* b : limit_->buttons())
    b->setChecked(std::to_string(limit_->id(b)) == SRgb2_);
  SRgb3_->setChecked(ReadSetting(env_, key::SRgb3, file, kShownSRgb3) == "1");
  lowerBar_->setValue(ProfileNumber(ReadSetting(env_, key::SRgb1, file, kShownSRgb1)));
  lowerBar_->SetSelection(lowerBar_->value(), kTop);
  lowerSpin_->setValue(lowerBar_->value());
  const bool range = ReadSetting(env_, key::SRgb4, file, kShownSRgb4) == "1";
  if (range) {
    rangeStart_->setText(TextOf(SRgb5_));
    rangeEnd_->setText(TextOf(SRgb6_));
  }
  (range ? range_ : lowerBound_)->setChecked(true);
  SetRangeMode(range);
}

void SrgbDialog::SetRangeMode(bool range) {
  for (QWidget* w : std::initializer_list<QWidget*>{lowerBar_, lowerSpin_}) w->setEnabled(!range);
  for (QWidget* w : std::initializer_list<QWidget*>{rangeBar_, st_, ed_, cl_, rangeStart_, rangeEnd_})
    w->setEnabled(range);
}

void SrgbDialog::ShowRange() {
  auto end = [](const QLineEdit* e) { return e->text().isEmpty() ? -1 : e->text().toInt(); };
  rangeBar_->SetSelection(end(rangeStart_), end(rangeEnd_));
}

void SrgbDialog::accept() {
  if (range_->isChecked() && (rangeStart_->text().isEmpty() || rangeEnd_->text().isEmpty())) {
    ui::MessageBox1Q(this, QCoreApplication::translate("Pictray", kRangeNotSet), Button::Err, Button::Err);
    return;
  }
  WriteSettings();
  QDialog::accept();
}

void SrgbDialog::WriteSettings() const {
  const bool range = range_->isChecked();
  const int channel = channel_->checkedId(), limit = limit_->checkedId();
  const std::pair<const SettingKey*, std::string> values[] = {
      {&key::SRgb0, channel < 0 ? SRgb0_ : std::to_string(channel)},
      {&key::SRgb1, std::to_string(lowerBar_->value())},
      {&key::SRgb2, limit < 0 ? SRgb2_ : std::to_string(limit)},
      {&key::SRgb3, SRgb3_->isChecked() ? "1" : "0"},
      {&key::SRgb4, range ? "1" : "0"},
      {&key::SRgb5, range ? BytesOf(rangeStart_->text()) : SRgb5_},
      {&key::SRgb6, range ? BytesOf(rangeEnd_->text()) : SRgb6_}};
  for (const auto& [k, value] : values) {
    WriteSetting(env_, *k, value, files_.profile);
    WriteSetting(env_, *k, value, files_.GRprofile);
  }
}

bool OpenModalWindowSrgb(QWidget* owner, const SettingsFiles& files) {
  SrgbDialog dialog(owner, files);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace pictray::app
