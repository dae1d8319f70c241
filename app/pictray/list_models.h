// Qt models over the engine's rows: the file list LV01 answers every text
// and colour from the rows (nothing is copied into the view).
#pragma once

#include <QAbstractTableModel>
#include <QColor>

#include <optional>
#include <string>

#include "engine/list/file_list.h"

namespace pictray::app {

// The colour a colour text names: three decimal values 0..255 joined by
// "_" (128_064_000, or 12_5_0 as the strength run writes them); none for
// any other text.
std::optional<QColor> ColourOfText(const std::string& text);

// The colour a row of the file list is drawn in: kind "T" by its notes, kinds
// "A" and "P" by a target that is a colour folder name; none for other rows.
std::optional<QColor> RowColour(const Row& row);

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
  // Colour rows on black instead of white ("black Back").
  void SetBlackBack(bool on);
  bool blackBack() const { return blackback_; }

 private:
  const FileList& rows_;
  std::size_t count_ = 0;
  bool blackback_ = false;
};

}  // namespace pictray::app
