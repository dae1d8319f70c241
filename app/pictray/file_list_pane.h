// Child window 1: the pane of the file list LV01. It colours nothing itself
// (the model does), previews a clicked row, opens a double-clicked one, and
// offers the popup menu of actions on the selected row.
#pragma once

#include <QWidget>

#include <string>

#include "app/pictray/pane_links.h"
#include "engine/list/file_list.h"

class QMenu;
class QTableView;

namespace pictray::app {

class FileListModel;

// Where a row's file is now: in `folder`, or, once moved (kind "M"), in its
// target folder there.
std::string PathOfRow(const std::string& folder, const Row& row);

class FileListPane : public QWidget {
  Q_OBJECT
 public:
  // Popup entries, in menu order.
  enum PopupId { Open = 4001, SetClear = 4002, PartColor = 4003, AllColor = 4004, Rgb = 4005, Property = 4006 };

  FileListPane(FileList& rows, FileListModel* model, PaneLinks links, QWidget* parent);

  QTableView* view() const { return LV01; }
  // The first selected row, -1 without a selection.
  long SelectedRow() const;
  // The row the keyboard and the last click are on; -1 for none.
  long CurrentRow() const;
  // The header shows the order a sort left: SortBit is the next click's
  // direction, so 1 means the rows now stand ascending.
  void ShowSortIndicator(int column, int SortBit);
  // SetMenuItem_LB: the six entries with their icons; nullptr on an empty list.
  QMenu* BuildPopup();
  // An entry of the popup menu on the selected row; nothing without one.
  void PopupCommand(int id);

 private:
  void ShowPopup(const QPoint& at);
  void OpenSelected();
  void ClearSelectedTarget();
  void ShowProperties();
  // The listed folder + "/" + the selected row's name; "" without a selection.
  std::string SelectedPath() const;

  FileList& rows_;
  FileListModel* model_;
  PaneLinks links_;
  const fs::Env& env_ = fs::DefaultEnv();
  QTableView* LV01 = nullptr;
};

}  // namespace pictray::app
