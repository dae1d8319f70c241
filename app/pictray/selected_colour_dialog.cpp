#include "app/pictray/selected_colour_dialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/common/control_factory.h"
#include "app/common/language.h"
#include "app/common/message_box.h"
#include "app/common/text_bytes.h"
#include "app/pictray/window_text.h"
#include "engine/colour/exact_colour.h"
#include "engine/names/text_list.h"

namespace pictray::app {
namespace {

using ui::BytesOf;
using ui::TextOf;

constexpr const char* kModeLabels[4] = {
    QT_TRANSLATE_NOOP("Pictray", "1-1-1 0-0-0 に分類"), QT_TRANSLATE_NOOP("Pictray", "一致(1-1-1)のみ分類"),
    QT_TRANSLATE_NOOP("Pictray", "RGB 0-0-0 に分類"), QT_TRANSLATE_NOOP("Pictray", "一致RGBのみ分類")};

QString ChooseListFile(QWidget* parent, bool save, const QString& start) {
  return save ? QFileDialog::getSaveFileName(parent, QString(), start) : QFileDialog::getOpenFileName(parent, QString(), start);
}

QPushButton* Button(QWidget* parent, const char* name, const char* text) {
  QPushButton* b = ui::MakeTextButtonWnd(parent, 0, QCoreApplication::translate("Pictray", text));
  b->setObjectName(name);
  return b;
}

}  // namespace

PickArea::PickArea(QWidget* parent) : QWidget(parent) { setObjectName("picture"); }

void PickArea::SetPicture(const QImage& image) {
  image_ = image;
  setFixedSize(image_.isNull() ? QSize(1, 1) : image_.size());
  Forget();
}

void PickArea::Forget() {
  selection_ = QRect();
  dragging_ = false;
  update();
}

void PickArea::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  if (!image_.isNull()) p.drawImage(0, 0, image_);
  if (selection_.isEmpty()) return;
  // Dotted in both black and white, to be seen on any picture.
  p.setPen(QPen(Qt::white, 1, Qt::SolidLine));
  p.drawRect(selection_.adjusted(0, 0, -1, -1));
  p.setPen(QPen(Qt::black, 1, dragging_ ? Qt::DotLine : Qt::DashLine));
  p.drawRect(selection_.adjusted(0, 0, -1, -1));
}

void PickArea::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  anchor_ = e->position().toPoint();
  dragging_ = true;
  DragTo(anchor_);
}

void PickArea::mouseMoveEvent(QMouseEvent* e) {
  if (dragging_) DragTo(e->position().toPoint());
}

void PickArea::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !dragging_) return;
  DragTo(e->position().toPoint());
  dragging_ = false;
  update();
}

void PickArea::DragTo(const QPoint& p) {
  // Both corners count: a click alone picks the pixel under it.
  const QRect r = QRect(anchor_, p).normalized().adjusted(0, 0, 1, 1);
  selection_ = r.intersected(QRect(QPoint(0, 0), image_.size()));
  update();
}

QImage ImageOf(const Picture& pic) {
  QImage image(int(pic.dwWidth), int(pic.dwHeight), QImage::Format_RGB888);
  if (image.isNull()) return image;
  for (std::uint32_t y = 0; y < pic.dwHeight; ++y) {
    uchar* out = image.scanLine(int(y));
    const std::uint8_t* in = pic.Pixel(0, y);
    for (std::uint32_t x = 0; x < pic.dwWidth; ++x) {
      out[3 * x] = in[3 * x + 2];
      out[3 * x + 1] = in[3 * x + 1];
      out[3 * x + 2] = in[3 * x];
    }
  }
  return image;
}

SelectedColourDialog::SelectedColourDialog(QWidget* owner, const SettingsFiles& files, std::string RGBtxt,
                                           std::size_t ColorMax, const SettingKey& modeKey)
    : QDialog(owner),
      files_(files),
      RGBtxt_(std::move(RGBtxt)),
      modeKey_(modeKey),
      colours_(ColorMax),
      chooser_(ChooseListFile) {
  setFont(ui::MinchoFont(13));
}

int SelectedColourDialog::Ask(const std::string& text, pictray::Button first, pictray::Button second) {
  return ui::MessageBox1Q(this, TextOf(text), first, second);
}

QVBoxLayout* SelectedColourDialog::BuildListColumn() {
  auto* column = new QVBoxLayout;
  list_ = new QListWidget(this);
  list_->setObjectName("colours");
  list_->setAccessibleName(QCoreApplication::translate("Pictray", "選んだ色"));
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  list_->setFont(ui::MinchoFont(14));
  list_->setMinimumWidth(150);
  connect(list_, &QListWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    if (list_->selectedItems().isEmpty()) return;
    QMenu menu(this);
    menu.addAction("delete", this, &SelectedColourDialog::DeleteSelected);
    menu.exec(list_->viewport()->mapToGlobal(at));
  });
  column->addWidget(list_, 1);

  blackBack_ = ui::MakeCheckBoxWnd(this, 0, "black Back");
  blackBack_->setObjectName("blackBack");
  connect(blackBack_, &QCheckBox::toggled, this, &SelectedColourDialog::ShowColours);
  column->addWidget(blackBack_);

  QPushButton* pick = Button(this, "pick", QT_TRANSLATE_NOOP("Pictray", "色選択"));
  QPushButton* load = Button(this, "load", QT_TRANSLATE_NOOP("Pictray", "読込み"));
  QPushButton* clear = Button(this, "clear", QT_TRANSLATE_NOOP("Pictray", "クリア"));
  save_ = Button(this, "save", QT_TRANSLATE_NOOP("Pictray", "保存"));
  connect(pick, &QPushButton::clicked, this, &SelectedColourDialog::Pick);
  connect(load, &QPushButton::clicked, this, &SelectedColourDialog::LoadList);
  connect(clear, &QPushButton::clicked, this, &SelectedColourDialog::ClearList);
  connect(save_, &QPushButton::clicked, this, &SelectedColourDialog::SaveList);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {pick, load, clear, save_}) buttons->addWidget(b);
  column->addLayout(buttons);

  for (int m = 0; m < 4; ++m) {
    modes_[m] = ui::MakeCheckBoxWnd(this, 0, QCoreApplication::translate("Pictray", kModeLabels[m]));
    modes_[m]->setObjectName(QString("mode%1").arg(m + 1));
    connect(modes_[m], &QCheckBox::toggled, this, [this, m](bool on) {
      if (on) {
        for (int other = 0; other < 4; ++other)
          if (other != m) modes_[other]->setChecked(false);
        SetMode(std::to_string(m + 1));
      } else if (mode_ == std::to_string(m + 1)) {
        SetMode("0");
      }
    });
    column->addWidget(modes_[m]);
  }

  QPushButton* loadDefault = ui::MakeICONButtonWnd(this, 0, ui::GlyphIcon("L", QColor(90, 140, 90)), 16);
  QPushButton* saveDefault = ui::MakeICONButtonWnd(this, 0, ui::GlyphIcon("S", QColor(160, 90, 60)), 16);
  loadDefault->setObjectName("loadDefault");
  saveDefault->setObjectName("saveDefault");
  ui::MakeToolTip(loadDefault, "Load  Default");
  ui::MakeToolTip(saveDefault, "Save  Default");
  connect(loadDefault, &QPushButton::clicked, this, &SelectedColourDialog::LoadDefault);
  connect(saveDefault, &QPushButton::clicked, this, &SelectedColourDialog::SaveDefault);
  start_ = Button(this, "start", QT_TRANSLATE_NOOP("Pictray", "スタート"));
  connect(start_, &QPushButton::clicked, this, [this] { Start(); });
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(loadDefault);
  bottom->addWidget(saveDefault);
  bottom->addStretch();
  bottom->addWidget(start_);
  column->addLayout(bottom);

  const std::string stored = ReadSetting(env_, modeKey_, files_.profile);
  for (int m = 0; m < 4; ++m)
    if (stored == std::to_string(m + 1)) modes_[m]->setChecked(true);
  EnableUse();
  return column;
}

void SelectedColourDialog::SetMode(const std::string& value) {
  mode_ = value;
  ModeChanged(mode_);
}

void SelectedColourDialog::Pick() {
  PickArea* area = nullptr;
  const Picture* pic = PickSource(&area);
  if (!pic) return;
  const QRect r = area->selection();
  if (r.isEmpty()) {
    Ask(WindowText(QT_TRANSLATE_NOOP("Pictray", "範囲が選択されていません")), Button::Err, Button::Err);
    return;
  }
  PickColours(colours_, r.left(), r.top(), r.right() + 1, r.bottom() + 1, [pic](int x, int y) {
    const std::uint8_t* p = pic->Pixel(std::uint32_t(x), std::uint32_t(y));
    return Rgb{p[2], p[1], p[0]};
  });
  area->Forget();
  ShowColours();
  EnableUse();
}

void SelectedColourDialog::LoadList() {
  const QString chosen = chooser_(this, false, TextOf(RGBtxt_));
  if (chosen.isEmpty()) return;
  const std::string path = BytesOf(chosen);
  // The file's colours join the list's, and the set is made from all of them.
  SelectedColours listed(kColourCount);
  for (std::uint32_t rgb : colours_.dwColors()) listed.Add(rgb);
  std::size_t skipped = 0;
  if (const int e = ReadColourList(env_, path, listed, &skipped); e != 0) {
    Ask(WindowText(QT_TRANSLATE_NOOP("Pictray", "色リストを読めません: %1 (%2)"), {path, TextListRefusalText(e)}),
        Button::Err, Button::Err);
    return;
  }
  const std::size_t count = dwColorsSet(colours_, listed);
  if (count > colours_.ColorMax()) {
    CapacityError(count);
    return;
  }
  ShowColours();
  EnableUse();
  if (skipped)
    Ask(WindowText(QT_TRANSLATE_NOOP("Pictray", "%1 行は色ではないので読み飛ばしました: %2"),
                   {std::to_string(skipped), path}),
        Button::Yes, Button::Yes);
}

void SelectedColourDialog::SaveList() {
  const QString chosen = chooser_(this, true, TextOf(RGBtxt_));
  if (chosen.isEmpty()) return;
  const std::string path = BytesOf(chosen);
  std::vector<std::string> lines;
  for (std::uint32_t rgb : colours_.dwColors()) lines.push_back(ColourKey(rgb));
  if (!listsave(env_, lines, path)) {
    Ask(WindowText(QT_TRANSLATE_NOOP("Pictray", "色リストを保存できません: %1"), {path}), Button::Err, Button::Err);
    return;
  }
  Ask(WindowText(QT_TRANSLATE_NOOP("Pictray", "保存終了。")), Button::Yes, Button::Yes);
}

void SelectedColourDialog::ClearList() {
  colours_.dwColorsClear();
  ShowColours();
  EnableUse();
}

void SelectedColourDialog::DeleteSelected() {
  std::vector<std::string> kept;
  for (int i = 0; i < list_->count(); ++i)
    if (!list_->item(i)->isSelected()) kept.push_back(BytesOf(list_->item(i)->text()));
  std::size_t skipped = 0;
  dwColorsSet(colours_, kept, &skipped);
  ShowColours();
  EnableUse();
}

void SelectedColourDialog::CapacityError(std::size_t count) {
  const Message tooMany{Said::TooManyColours,
                        {},
                        {static_cast<long long>(colours_.ColorMax()), static_cast<long long>(count)}};
  Ask(texts::Words(tooMany, ui::WindowLanguage()), Button::Err, Button::Err);
  ClearList();
}

void SelectedColourDialog::ShowColours() {
  list_->clear();
  const QColor back = blackBack_->isChecked() ? Qt::black : Qt::white;
  for (std::uint32_t rgb : colours_.dwColors()) {
    auto* item = new QListWidgetItem(TextOf(ColourKey(rgb)), list_);
    item->setForeground(QColor(int(rgb >> 16 & 0xFF), int(rgb >> 8 & 0xFF), int(rgb & 0xFF)));
    item->setBackground(back);
  }
}

void SelectedColourDialog::EnableUse() {
  const bool any = colours_.dwCount() > 0;
  start_->setEnabled(any);
  save_->setEnabled(any);
}

void SelectedColourDialog::SaveDefault() {
  if (Ask("Save  Default ?", Button::Ok, Button::No) != 6) return;
  if (!WriteSetting(env_, modeKey_, mode_, files_.GRprofile)) {
    Ask(WindowText(QT_TRANSLATE_NOOP("Pictray", "設定ファイルに書けません: %1"), {files_.GRprofile}), Button::Err, Button::Err);
    return;
  }
  SaveMoreDefaults();
  Ask("Save OK!!", Button::Yes, Button::Yes);
}

void SelectedColourDialog::LoadDefault() {
  if (Ask("Load  Default ?", Button::Ok, Button::No) != 6) return;
  LoadMoreDefaults();
  const int mode = ColourMode(ReadSetting(env_, modeKey_, files_.GRprofile));
  modes_[mode - 1]->setChecked(true);
  SetMode(std::to_string(mode));
}

void SelectedColourDialog::done(int result) {
  if (!WriteSetting(env_, modeKey_, mode_, files_.profile))
    Ask(WindowText(QT_TRANSLATE_NOOP("Pictray", "作業用の設定ファイルに書けません: %1"), {files_.profile}), Button::Err, Button::Err);
  QDialog::done(result);
}

}  // namespace pictray::app
