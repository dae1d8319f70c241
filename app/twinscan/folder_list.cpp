#include "app/twinscan/folder_list.h"

#include <QKeyEvent>
#include <QPainter>
#include <utility>

#include "app/common/text_bytes.h"

namespace pictray::twinscan {
namespace {

using ui::BytesOf;
using ui::TextOf;

// The path's bytes ride on the row beside the text shown.
constexpr int kBytesRole = Qt::UserRole;

std::string BytesOfRow(const QListWidgetItem* item) { return item->data(kBytesRole).toByteArray().toStdString(); }

}  // namespace

FolderList::FolderList(QWidget* parent, const QString& empty, Keys keys)
    : QListWidget(parent), empty_(empty), keys_(std::move(keys)) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
  setTextElideMode(Qt::ElideMiddle);
  setUniformItemSizes(true);
  // Two rows: room for a card and a phone beside the lists, and a scroll bar for more.
  setFixedHeight(sizeHint().height());
  connect(this, &QListWidget::itemChanged, this, &FolderList::TakeTypedPath);
}

std::vector<std::string> FolderList::Paths() const {
  std::vector<std::string> paths;
  for (int i = 0; i < count(); ++i) paths.push_back(BytesOfRow(item(i)));
  return paths;
}

void FolderList::SetPaths(const std::vector<std::string>& paths) {
  const QSignalBlocker quiet(this);
  clear();
  for (const std::string& path : paths) Add(path);
  // Shown, not chosen: Delete takes off only what the user selects.
  setCurrentRow(-1);
  clearSelection();
}

void FolderList::Add(const std::string& path) {
  for (int i = 0; i < count(); ++i)
    if (BytesOfRow(item(i)) == path) {
      setCurrentRow(i, QItemSelectionModel::ClearAndSelect);
      return;
    }
  const QSignalBlocker quiet(this);
  auto* row = new QListWidgetItem(TextOf(path), this);
  row->setData(kBytesRole, QByteArray::fromStdString(path));
  row->setToolTip(TextOf(path));
  row->setFlags(row->flags() | Qt::ItemIsEditable);
  setCurrentItem(row, QItemSelectionModel::ClearAndSelect);
}

bool FolderList::RemoveSelected() {
  const QList<QListWidgetItem*> chosen = selectedItems();
  for (QListWidgetItem* row : chosen) delete row;
  return !chosen.isEmpty();
}

void FolderList::Select(const std::string& path) {
  for (int i = 0; i < count(); ++i)
    if (BytesOfRow(item(i)) == path) setCurrentRow(i, QItemSelectionModel::ClearAndSelect);
}

// A text still showing the bytes it came from keeps them: a name that is
// not UTF-8 survives an edit that changed nothing.
void FolderList::TakeTypedPath(QListWidgetItem* row) {
  if (row->text() == TextOf(BytesOfRow(row))) return;
  {
    const QSignalBlocker quiet(this);
    row->setData(kBytesRole, QByteArray::fromStdString(BytesOf(row->text())));
    row->setToolTip(row->text());
  }
  if (keys_.edited) keys_.edited();
}

QSize FolderList::sizeHint() const {
  const int rowHeight = fontMetrics().height() + 4;
  return {QListWidget::sizeHint().width(), 2 * rowHeight + 2 * frameWidth()};
}

void FolderList::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if ((key == Qt::Key_Return || key == Qt::Key_Enter) && state() != EditingState && keys_.search) {
    keys_.search();
    return;
  }
  if (key == Qt::Key_Delete && state() != EditingState && keys_.remove) {
    keys_.remove();
    return;
  }
  QListWidget::keyPressEvent(event);
}

void FolderList::paintEvent(QPaintEvent* event) {
  QListWidget::paintEvent(event);
  if (count() > 0) return;
  QPainter p(viewport());
  p.setPen(palette().color(QPalette::Disabled, QPalette::Text));
  p.drawText(viewport()->rect().adjusted(4, 2, -4, -2), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, empty_);
}

}  // namespace pictray::twinscan
