#include "app/pictray/all_rgb_dialog.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

#include "app/common/text_bytes.h"

namespace pictray::app {

namespace {
constexpr int kViewport = 380;
}

AllRgbDialog::AllRgbDialog(QWidget* owner, const SettingsFiles& files, const std::string& RGBtxt,
                           std::size_t ColorMax, const std::string& DlgFilePath)
    : SelectedColourDialog(owner, files, RGBtxt, ColorMax, key::AllColorMode) {
  setObjectName("AllRgbDialog");
  setWindowTitle(QCoreApplication::translate("Pictray", "all RGB選択"));
  auto* row = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  area_ = new PickArea(this);
  decoded_ = JpegToBuffer(fs::DefaultEnv(), DlgFilePath, picture_) == 0;
  area_->SetPicture(decoded_ ? ImageOf(picture_) : QImage());
  viewport_ = new QScrollArea(this);
  viewport_->setObjectName("viewport");
  viewport_->setWidget(area_);
  // The viewport's inside is 380 x 380 whatever the scroll bars take.
  const int frame = 2 * viewport_->frameWidth();
  const int bar = viewport_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  viewport_->setFixedSize(kViewport + frame + bar, kViewport + frame + bar);
  viewport_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  viewport_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  left->addWidget(viewport_);
  auto* name = new QLabel(
      decoded_ ? ui::TextOf(DlgFilePath)
               : QCoreApplication::translate("Pictray", "JPEGとして読めません: %1").arg(ui::TextOf(DlgFilePath)),
      this);
  name->setObjectName("file");
  name->setWordWrap(true);
  name->setMaximumWidth(kViewport + frame + bar);
  left->addWidget(name);
  left->addStretch();
  row->addLayout(left);
  row->addLayout(BuildListColumn());
}

const Picture* AllRgbDialog::PickSource(PickArea** area) {
  *area = area_;
  // An undecodable picture has no pixels: every rectangle is empty.
  return &picture_;
}

void AllRgbDialog::Start() { accept(); }

bool OpenModalWindowallRGB(QWidget* owner, const SettingsFiles& files, const std::string& RGBtxt,
                           std::size_t ColorMax, const std::string& DlgFilePath, SelectedColours* colours) {
  AllRgbDialog dialog(owner, files, RGBtxt, ColorMax, DlgFilePath);
  if (dialog.exec() != QDialog::Accepted) return false;
  *colours = dialog.colours();
  return true;
}

}  // namespace pictray::app
