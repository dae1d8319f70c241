#include "app/twinscan/file_table_model.h"

#include <QCoreApplication>

namespace pictray::twinscan {

int FileTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(lpData_.size());
}

int FileTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : dupes::kColumns;
}

QVariant FileTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= lpData_.size()) return {};
  if (role == Qt::DisplayRole) {
    const std::string& text = dupes::Cell(lpData_[static_cast<std::size_t>(index.row())], index.column());
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  }
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(Qt::AlignVCenter | (index.column() >= 3 ? Qt::AlignRight : Qt::AlignLeft));
  return {};
}

QVariant FileTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (role == Qt::TextAlignmentRole)  // a header sits over its column's text
    return QVariant::fromValue(Qt::AlignVCenter | (section >= 3 ? Qt::AlignRight : Qt::AlignLeft));
  if (role != Qt::DisplayRole) return {};
  static const char* const names[dupes::kColumns] = {
      QT_TRANSLATE_NOOP("Twinscan", "file"), QT_TRANSLATE_NOOP("Twinscan", "folda"),
      QT_TRANSLATE_NOOP("Twinscan", "filename"), QT_TRANSLATE_NOOP("Twinscan", "path"),
      QT_TRANSLATE_NOOP("Twinscan", "size"), QT_TRANSLATE_NOOP("Twinscan", "組内番号"),
      QT_TRANSLATE_NOOP("Twinscan", "残すファイル"), QT_TRANSLATE_NOOP("Twinscan", "比較キー")};
  if (section < 0 || section >= dupes::kColumns) return QString();
  return QCoreApplication::translate("Twinscan", names[section]);
}

void FileTableModel::setTable(std::vector<dupes::FileRec> table) {
  beginResetModel();
  lpData_ = std::move(table);
  endResetModel();
}

void FileTableModel::clear() { setTable({}); }

void FileTableModel::Redraw() {
  beginResetModel();
  endResetModel();
}

}  // namespace pictray::twinscan
