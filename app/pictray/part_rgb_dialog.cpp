#include "app/pictray/part_rgb_dialog.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/common/control_factory.h"
#include "app/common/text_bytes.h"
#include "app/pictray/window_text.h"
#include "engine/colour/rgb_name.h"

namespace pictray::app {
namespace {

constexpr int kRendering = 310;

}  // namespace

PartRgbDialog::PartRgbDialog(QWidget* owner, const SettingsFiles& files, const std::string& RGBtxt,
                             std::size_t ColorMax, const std::string& DlgFilePath, MakeMinImageFn MMI,
                             const std::string& workfile)
    : SelectedColourDialog(owner, files, RGBtxt, ColorMax, key::PartColorMode), strJpos_bit_(MakeJposBit({})) {
  setObjectName("PartRgbDialog");
  setWindowTitle(QCoreApplication::translate("Pictray", "partRGB選択"));
  auto* row = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  area_ = new PickArea(this);
  rendered_ = Render(DlgFilePath, MMI, workfile);
  area_->SetPicture(rendered_ ? ImageOf(picture_) : QImage());
  area_->setFixedSize(kRendering, kRendering);
  left->addWidget(area_);
  auto* name = new QLabel(ui::TextOf(DlgFilePath), this);
  name->setObjectName("file");
  name->setWordWrap(true);
  name->setMaximumWidth(kRendering);
  left->addWidget(name);

  auto* per = new QHBoxLayout;
  per->addWidget(new QLabel(QCoreApplication::translate("Pictray", "比較率%(モード　1,2のみ)"), this));
  matchPer_ = ui::MakeTrackBarWnd(this, 0, 0, 100);
  matchPer_->setObjectName("MatchPer");
  matchPerValue_ = new QLabel(this);
  matchPerValue_->setMinimumWidth(matchPerValue_->fontMetrics().horizontalAdvance("1000"));
  connect(matchPer_, &QSlider::valueChanged, matchPerValue_, [this](int v) { matchPerValue_->setNum(v); });
  matchPer_->setValue(ReadSettingNumber(env_, key::MatchPer, files.profile));
  matchPerValue_->setNum(matchPer_->value());
  per->addWidget(matchPer_, 1);
  per->addWidget(matchPerValue_);
  left->addLayout(per);

  auto* grid = new QGridLayout;
  BuildCells(grid, ReadSetting(env_, key::PartX, files.profile) == "8" ? 8 : 4);
  left->addLayout(grid);
  left->setAlignment(grid, Qt::AlignHCenter);
  left->addStretch();
  row->addLayout(left);
  row->addLayout(BuildListColumn());
  ModeChanged(mode());
}

bool PartRgbDialog::Render(const std::string& path, MakeMinImageFn MMI, const std::string& workfile) {
  Surface surface(kRendering);
  if (!MMI || MMI(surface.bits(), path.c_str(), kRendering, 0, 1) != 0) return false;
  // The surface's rows run from the bottom; the bitmap's from the top.
  const std::size_t stride = SurfaceStride(kRendering);
  std::vector<std::uint8_t> topDown(stride * kRendering);
  for (std::size_t y = 0; y < kRendering; ++y)
    std::copy_n(surface.bits() + (kRendering - 1 - y) * stride, stride, topDown.data() + y * stride);
  const BitmapView bitmap{kRendering, kRendering, stride, 24, topDown.data()};
  Picture written;
  return MakeBufferFile2(env_, bitmap, workfile, written) == 0 && readBMP(env_, workfile, picture_) == 1;
}

void PartRgbDialog::BuildCells(QGridLayout* grid, int PartX) {
  grid->setSpacing(2);
  for (int k = 1; k <= PartX * PartX; ++k) {
    QPushButton* cell = ui::MakeCheckButtonWnd(this, k, QString::number(k));
    cell->setObjectName(QString("cell%1").arg(k));
    cell->setFixedSize(PartX == 8 ? 34 : 52, PartX == 8 ? 22 : 30);
    grid->addWidget(cell, (k - 1) / PartX, (k - 1) % PartX);
    cells_.push_back(cell);
  }
}

const Picture* PartRgbDialog::PickSource(PickArea** area) {
  *area = area_;
  if (rendered_) return &picture_;
  Ask(WindowText(QT_TRANSLATE_NOOP("Pictray", "色選択失敗")), Button::Err, Button::Err);
  return nullptr;
}

void PartRgbDialog::ModeChanged(const std::string& mode) {
  // The share counts in the first two modes (no box checked counts as the first).
  const int m = ColourMode(mode);
  matchPer_->setEnabled(m == 1 || m == 2);
}

void PartRgbDialog::Start() {
  std::vector<int> chosen;
  for (std::size_t i = 0; i < cells_.size(); ++i)
    if (cells_[i]->isChecked()) chosen.push_back(static_cast<int>(i) + 1);
  if (chosen.empty()) {
    Ask("Pos error", Button::Err, Button::Err);
    return;
  }
  const int MatchPer = matchPer_->value();
  if (!WriteSetting(env_, key::MatchPer, std::to_string(MatchPer), files().profile)) {
    Ask(WindowText(QT_TRANSLATE_NOOP("Pictray", "作業用の設定ファイルに書けません: %1"), {files().profile}), Button::Err, Button::Err);
    return;
  }
  std::string text;
  const int m = ColourMode(mode());
  if (m == 1 || m == 2) {
    text = WindowText(QT_TRANSLATE_NOOP("Pictray", "比較率%1(per) %2色　一致で検出"),
                      {std::to_string(MatchPer), std::to_string(MatchThreshold(colours().dwCount(), MatchPer))});
    if (Ask(text, Button::Ok, Button::No) != 6) return;
  }
  strJpos_bit_ = MakeJposBit(chosen);
  GRmsgtext_ = text;
  accept();
}

void PartRgbDialog::SaveMoreDefaults() {
  if (!WriteSetting(env_, key::MatchPer, std::to_string(matchPer_->value()), files().GRprofile))
    Ask(WindowText(QT_TRANSLATE_NOOP("Pictray", "設定ファイルに書けません: %1"), {files().GRprofile}), Button::Err, Button::Err);
}

void PartRgbDialog::LoadMoreDefaults() {
  matchPer_->setValue(ReadSettingNumber(env_, key::MatchPer, files().GRprofile));
}

bool OpenModalWindowpartRGB(QWidget* owner, const SettingsFiles& files, const std::string& RGBtxt,
                            std::size_t ColorMax, const std::string& DlgFilePath, MakeMinImageFn MMI,
                            const std::string& workfile, PartColourChoice* choice) {
  PartRgbDialog dialog(owner, files, RGBtxt, ColorMax, DlgFilePath, MMI, workfile);
  if (dialog.exec() != QDialog::Accepted) return false;
  *choice = {dialog.colours(), dialog.strJpos_bit(), dialog.GRmsgtext()};
  return true;
}

}  // namespace pictray::app
