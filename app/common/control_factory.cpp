#include "app/common/control_factory.h"

#include "app/common/file_icons.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QStyleOptionSlider>

#include <algorithm>

#include "app/common/text_bytes.h"

namespace pictray::ui {
namespace {

constexpr const char* kIdProperty = "controlId";
constexpr const char* kBytesProperty = "nameBytes";

template <typename W>
W* Tag(W* w, int id) {
  w->setProperty(kIdProperty, id);
  w->setObjectName(QString::number(id));
  w->show();
  return w;
}

QPushButton* IconButton(QWidget* parent, int id, const QIcon& icon, int edge, bool checkable) {
  auto* b = new QPushButton(parent);
  b->setIcon(icon);
  b->setIconSize(QSize(edge, edge));
  b->setCheckable(checkable);
  if (checkable) StandOutWhenOn(b);
  b->setFixedSize(edge + 10, edge + 10);
  return Tag(b, id);
}

}  // namespace

void StandOutWhenOn(QPushButton* b, const QColor& fill) {
  // Fixed colours, so that "on" reads the same in a light and a dark palette.
  // The style's focus frame is not drawn over a styled button: an "on"
  // toggle with the keyboard's focus shows it in its border instead.
  b->setStyleSheet(QString("QPushButton:checked { background: %1; color: white;"
                           " border: 3px solid %2; border-radius: 3px; }"
                           " QPushButton:checked:focus { border: 3px dashed #ffd400; }")
                       .arg(fill.name(), fill.darker(180).name()));
}

QFont MinchoFont(int pixelHeight) {
  QFont f;
  f.setFamilies({"IPAMincho", "IPAPMincho", "Noto Serif CJK JP", "IPAGothic", "Noto Sans CJK JP"});
  f.setPixelSize(pixelHeight);
  return f;
}

QIcon GlyphIcon(const QString& glyph, const QColor& background, int edge) {
  QPixmap pm(edge, edge);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath tile;
  tile.addRoundedRect(QRectF(1, 1, edge - 2, edge - 2), edge / 6.0, edge / 6.0);
  p.fillPath(tile, background);
  p.setPen(background.lightness() > 150 ? Qt::black : Qt::white);
  QFont f = MinchoFont(glyph.size() > 2 ? edge * 3 / 10 : edge / 2);
  f.setBold(true);
  p.setFont(f);
  p.drawText(QRect(0, 0, edge, edge), Qt::AlignCenter, glyph);
  return QIcon(pm);
}

QIcon ProgramIcon(const QString& path, const QString& programDir, const QIcon& ownIcon) {
  if (path == "open") return ownIcon;
  if (path == "non") return QIcon();
  return GetIconHandle(QFileInfo(path).isRelative() ? QDir(programDir).filePath(path) : path);
}

QPushButton* MakeICONButtonWnd(QWidget* parent, int id, const QIcon& icon, int edge) {
  return IconButton(parent, id, icon, edge, false);
}

QPushButton* MakeICONCheckButtonWnd(QWidget* parent, int id, const QIcon& icon, int edge) {
  return IconButton(parent, id, icon, edge, true);
}

QPushButton* MakeICONCheckButtonWnd2(QWidget* parent, int id, const QString& programPath,
                                     const QString& programDir, const QIcon& ownIcon) {
  return IconButton(parent, id, ProgramIcon(programPath, programDir, ownIcon), 32, true);
}

QPushButton* MakeBMButtonWnd(QWidget* parent, int id, const QIcon& bitmap) {
  return IconButton(parent, id, bitmap, 32, false);
}

QPushButton* MakeBmCheck32ButtonWnd(QWidget* parent, int id, const QIcon& bitmap) {
  return IconButton(parent, id, bitmap, 32, true);
}

QPushButton* MakeTextButtonWnd(QWidget* parent, int id, const QString& text) {
  return Tag(new QPushButton(text, parent), id);
}

QPushButton* MakeCheckButtonWnd(QWidget* parent, int id, const QString& text) {
  auto* b = new QPushButton(text, parent);
  b->setCheckable(true);
  StandOutWhenOn(b);
  return Tag(b, id);
}

QCheckBox* MakeCheckBoxWnd(QWidget* parent, int id, const QString& text) {
  return Tag(new QCheckBox(text, parent), id);
}

TrackBar::TrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  setTickPosition(QSlider::TicksBelow);
  // Some styles fill the groove from its start to the handle, which would
  // read as a selection: only the selection is coloured here.
  QPalette p = palette();
  p.setColor(QPalette::Highlight, Qt::transparent);
  setPalette(p);
}

void TrackBar::SetSelection(int start, int end) {
  start_ = start;
  end_ = end;
  update();
}

void TrackBar::paintEvent(QPaintEvent* e) {
  QSlider::paintEvent(e);
  if (start_ < 0 && end_ < 0) return;
  QStyleOptionSlider opt;
  initStyleOption(&opt);
  const QRect groove = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
  const QRect handle = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
  const int span = groove.width() - handle.width();
  auto x = [&](int v) {
    return groove.left() + handle.width() / 2 +
           QStyle::sliderPositionFromValue(minimum(), maximum(), v, span, opt.upsideDown);
  };
  // One end alone is drawn as a mark at that end.
  const int a = x(start_ >= 0 ? start_ : end_), b = x(end_ >= 0 ? end_ : start_);
  QPainter p(this);
  p.fillRect(QRect(QPoint(std::min(a, b) - 1, groove.top()), QPoint(std::max(a, b) + 1, groove.bottom())),
             QColor(60, 120, 220, 140));
}

TrackBar* MakeTrackBarWnd(QWidget* parent, int id, int minimum, int maximum) {
  auto* t = new TrackBar(parent);
  t->setRange(minimum, maximum);
  t->setTickInterval(std::max(1, (maximum - minimum) / 16));
  return Tag(t, id);
}

QGroupBox* MakeGroupBoxWindow(QWidget* parent, int id) { return Tag(new QGroupBox(parent), id); }

QLineEdit* Make_EditWindow(QWidget* parent, int id) { return Tag(new QLineEdit(parent), id); }

QLineEdit* MakeLabelEditWnd(QWidget* parent, int id, const QString& text) {
  auto* e = new QLineEdit(text, parent);
  e->setReadOnly(true);
  e->setFrame(false);
  e->setFocusPolicy(Qt::NoFocus);
  e->setStyleSheet("QLineEdit{background:transparent;}");
  // Wide enough for its text, shown from the start.
  e->setMinimumWidth(e->fontMetrics().horizontalAdvance(text) + 12);
  e->setCursorPosition(0);
  return Tag(e, id);
}

QPushButton* MakeICONButtonWnd16(QWidget* parent, int id, const QIcon& icon) {
  return IconButton(parent, id, icon, 16, false);
}

QLabel* Make_StaticWindow04(QWidget* parent, int id, const QIcon& icon) {
  auto* l = new QLabel(parent);
  l->setPixmap(icon.pixmap(20, 20));
  l->setFixedSize(20, 20);
  return Tag(l, id);
}

QProgressBar* Make_progressbar(QWidget* parent, int id, const QColor& bar) {
  auto* p = new QProgressBar(parent);
  p->setTextVisible(false);
  p->setFixedSize(150, 10);
  p->setStyleSheet(QString("QProgressBar{background:white;border:1px solid gray;}"
                           "QProgressBar::chunk{background:%1;}")
                       .arg(bar.name()));
  return Tag(p, id);
}

QLabel* Make_StaticWindow(QWidget* parent, int id) {
  auto* l = new QLabel(parent);
  l->setAlignment(Qt::AlignCenter);
  return Tag(l, id);
}

void MakeToolTip(QWidget* control, const QString& text) {
  control->setToolTip(text);
  // A button without a caption of its own is named by its tip for screen readers.
  auto* b = qobject_cast<QAbstractButton*>(control);
  if (b && b->text().isEmpty() && b->accessibleName().isEmpty()) b->setAccessibleName(text);
}

QString SHBDlg(QWidget* parent, const QString& start) {
  const QString dir =
      QFileDialog::getExistingDirectory(parent, QCoreApplication::translate("ui", "フォルダを選択"), start);
  return dir.isEmpty() ? QString("cancel") : dir;
}

QString FoldaSetting(QWidget* parent, const QString& start) {
  QFileDialog dialog(parent, QCoreApplication::translate("ui", "プログラムを選択"), start);
  dialog.setFileMode(QFileDialog::ExistingFile);
  // Programs have no extension here: every file is offered.
  dialog.setNameFilter(QCoreApplication::translate("ui", "プログラム (*)"));
  if (QFileInfo(start).isFile()) dialog.selectFile(start);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

void SetEditBytes(QLineEdit* edit, const std::string& bytes) {
  edit->setProperty(kBytesProperty, QByteArray::fromStdString(bytes));
  edit->setText(TextOf(bytes));
}

std::string EditBytes(const QLineEdit* edit) {
  const std::string given = edit->property(kBytesProperty).toByteArray().toStdString();
  return edit->text() == TextOf(given) ? given : BytesOf(edit->text());
}

int ControlId(const QWidget* control) {
  const QVariant v = control ? control->property(kIdProperty) : QVariant();
  return v.isValid() ? v.toInt() : -1;
}

}  // namespace pictray::ui
