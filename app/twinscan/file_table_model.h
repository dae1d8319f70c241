// LV01: the file table behind a virtual list; the view asks for each cell
// when it draws it.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "engine/dupes/dupes.h"

namespace pictray::twinscan {

class FileTableModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // lpData: replaced, freed, or changed in place followed by Redraw().
  void setTable(std::vector<dupes::FileRec> table);
  void clear();
  std::vector<dupes::FileRec>& lpData() { return lpData_; }
  const std::vector<dupes::FileRec>& lpData() const { return lpData_; }
  // Every row drawn again (the view also drops its selection).
  void Redraw();

 private:
  std::vector<dupes::FileRec> lpData_;
};

}  // namespace pictray::twinscan
