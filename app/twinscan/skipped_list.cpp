#include "app/twinscan/skipped_list.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/common/text_bytes.h"

namespace pictray::twinscan {

using ui::TextOf;

SkippedModel::SkippedModel(ReviewSource source, QObject* parent) : QAbstractTableModel(parent), source_(source) {}

int SkippedModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(source_.review->skipped.size());
}

int SkippedModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant SkippedModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= source_.review->skipped.size()) return {};
  const dupes::SkippedPicture& s = source_.review->skipped[static_cast<std::size_t>(index.row())];
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  if (index.column() == kWhy) return SkipReasonText(s.reason);
  const dupes::FileRec* r = source_.Row(s.row);
  return r ? TextOf(r->path) : QVariant();
}

QVariant SkippedModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return section == kFile ? QCoreApplication::translate("Twinscan", "ファイル")
                          : QCoreApplication::translate("Twinscan", "比べなかった理由");
}

QString SkippedCountText(std::size_t count) {
  return QCoreApplication::translate("Twinscan", "比べなかった画像 %1 件").arg(Count(count));
}

QString SkipReasonText(dupes::SkipReason reason) {
  switch (reason) {
    case dupes::SkipReason::TooLarge: return QCoreApplication::translate("Twinscan", "大きすぎて描けない");
    case dupes::SkipReason::FormatNotDrawn: return QCoreApplication::translate("Twinscan", "描けない形式");
    case dupes::SkipReason::Unreadable: break;
  }
  return QCoreApplication::translate("Twinscan", "読めない（壊れているか途中で切れている）");
}

SkippedList::SkippedList(QWidget* parent, ReviewSource source) : QDialog(parent) {
  setObjectName("skippedList");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QCoreApplication::translate("Twinscan", "比べなかった画像"));
  auto* text = new QLabel(QCoreApplication::translate(
                              "Twinscan", "似た画像の検索は、次の %1 件を画像として比べていません（同じバイトのコピーは見つけています）。")
                              .arg(Count(source.review->skipped.size())),
                          this);
  text->setWordWrap(true);
  auto* list = new QTableView(this);
  list->setObjectName("skippedFiles");
  list->setModel(new SkippedModel(source, list));
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setWordWrap(false);
  list->setTextElideMode(Qt::ElideMiddle);
  list->verticalHeader()->hide();
  list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  list->horizontalHeader()->setSectionResizeMode(SkippedModel::kFile, QHeaderView::Stretch);
  // The reasons' column as wide as the widest reason, measured without the rows (there may be many thousands).
  int why = 0;
  using dupes::SkipReason;
  for (SkipReason r : {SkipReason::Unreadable, SkipReason::TooLarge, SkipReason::FormatNotDrawn})
    why = std::max(why, list->fontMetrics().horizontalAdvance(SkipReasonText(r)));
  list->horizontalHeader()->resizeSection(SkippedModel::kWhy, why + 24);
  list->setAccessibleName(windowTitle());
  auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  layout->addWidget(list, 1);
  layout->addWidget(close);
  resize(720, 400);
}

}  // namespace pictray::twinscan
