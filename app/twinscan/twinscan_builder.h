// Builds the Twinscan window's toolbar, lists, count, progress bars and
// buttons, hands them back under the system's names, and places them. Every
// control sends its command id to the window's dispatch; nothing here runs a
// command.
#pragma once

#include <functional>
#include <vector>

class QAction;
class QCheckBox;
class QTabWidget;
class QLabel;
class QMainWindow;
class QProgressBar;
class QPushButton;
class QTableView;
class QTableWidget;
class QWidget;

namespace pictray::twinscan {

class FileTableModel;
class FolderList;

struct TwinscanControls {
  QWidget* central = nullptr;
  QAction* clearAction = nullptr;
  QAction* undoAction = nullptr;
  QCheckBox* similarBox = nullptr;  // the search looks for the same pictures too
  QCheckBox* subfoldersBox = nullptr;  // the search takes the folders' subfolders too
  // The folders searched and the reference folders, on a row of their own
  // above the lists, each with its buttons (add: Ctrl+O for the folders
  // searched; take off), and the search of them all (F5, or Enter in a list).
  QWidget* folderRow = nullptr;
  FolderList* folderList = nullptr;
  FolderList* referenceList = nullptr;
  QPushButton* searchButton = nullptr;
  std::vector<QPushButton*> folderButtons;  // add and take off, of both lists
  // The file table and result list on the first page; the window adds the review.
  QTabWidget* tabs = nullptr;
  FileTableModel* model = nullptr;
  QTableView* LV01 = nullptr;
  QTableWidget* LV02 = nullptr;
  QLabel* ST01 = nullptr;
  QProgressBar* PR01 = nullptr;
  QProgressBar* PR02 = nullptr;
  QPushButton* BT01 = nullptr;
  QPushButton* BT41 = nullptr;
  QPushButton* BT42 = nullptr;
  QPushButton* BT43 = nullptr;
  QPushButton* BT44 = nullptr;
};

class TwinscanBuilder {
 public:
  using Dispatch = std::function<void(int id)>;

  TwinscanBuilder(QMainWindow& window, Dispatch command);

  // The toolbar, then the central widget with the lists, the count, the
  // progress bars and the buttons.
  TwinscanControls Build();

 private:
  void BuildToolbar();
  void BuildFolderRow();
  void BuildLists();
  void BuildButtons();

  QMainWindow& window_;
  Dispatch command_;
  TwinscanControls built_;
};

// Places every control as on a client area of W x H that includes the
// toolbar; the central widget starts `toolbarHeight` below the top.
void PlaceControls(const TwinscanControls& c, int toolbarHeight, int W, int H);

}  // namespace pictray::twinscan
