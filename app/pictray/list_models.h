// Qt models over the engine's rows: the file list LV01 answers every text
// from the rows (nothing is copied into the view).
#pragma once

#include <QAbstractTableModel>

#include "engine/list/file_list.h"

namespace pictray::app {

class FileListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit FileListModel(const FileList& rows, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;

  // Item count of the view; rows beyond it are not shown.
  void SetItemCount(std::size_t count);
  std::size_t itemCount() const { return count_; }
  // Texts changed (a run wrote targets, rows were sorted or cleared).
  void RefreshAll();

 private:
  const FileList& rows_;
  std::size_t count_ = 0;
};

}  // namespace pictray::app
