#include "app/pictray/list_models.h"

#include "app/common/text_bytes.h"

namespace pictray::app {

FileListModel::FileListModel(const FileList& rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows) {}

int FileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(count_);
}

int FileListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 4; }

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= count_) return {};
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
    return ui::TextOf(rows_.cell(static_cast<std::size_t>(index.row()), index.column()));
  return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation o, int role) const {
  if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kTitles[] = {"名称", "移動先フォルダ", "パターン 種別", "notes"};
  return section >= 0 && section < 4 ? QString::fromUtf8(kTitles[section]) : QVariant();
}

void FileListModel::SetItemCount(std::size_t count) {
  if (count == count_) return;
  if (count > count_) {
    beginInsertRows(QModelIndex(), static_cast<int>(count_), static_cast<int>(count - 1));
    count_ = count;
    endInsertRows();
  } else {
    beginResetModel();
    count_ = count;
    endResetModel();
  }
}

void FileListModel::RefreshAll() {
  if (count_ > 0) emit dataChanged(index(0, 0), index(static_cast<int>(count_) - 1, 3));
}

}  // namespace pictray::app
