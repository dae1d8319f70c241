// Builds the main window's menu, bands, status bar and panes, and hands back
// the controls the window keeps under the system's names. Every control
// sends its command id to the window's dispatch; nothing here runs a command.
#pragma once

#include <QKeySequence>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "app/pictray/controls.h"
#include "app/pictray/pane_links.h"
#include "engine/list/file_list.h"

class QAction;
class QLabel;
class QLineEdit;
class QMainWindow;
class QProgressBar;
class QPushButton;
class QTableView;
class QToolBar;
class QTreeWidget;
class QWidget;

namespace pictray::app {

class FileListModel;
class FileListPane;
class ResultPane;

// The pre-read button as the settings file has it at start.
struct PreReadButton {
  std::string ZenApp;  // the program it starts, shown as its icon and tooltip
  bool ZenAppOn = false;
  std::string programDir;  // where a relative program is looked for
};

// What the builder hands back: every control by its name, and those the
// window keeps in fields of their own.
struct WindowControls {
  std::map<Control, QWidget*> controls;
  QLineEdit* ED01 = nullptr;
  QLineEdit* CB01 = nullptr;
  QTableView* LV01 = nullptr;
  QTreeWidget* LV02 = nullptr;
  QTreeWidget* LV03 = nullptr;
  QProgressBar* PR01 = nullptr;
  QProgressBar* PR02 = nullptr;
  QPushButton* BT101 = nullptr;
  QLabel* statusParts[3] = {nullptr, nullptr, nullptr};
  QAction* menu5101 = nullptr;
  QAction* menu5102 = nullptr;
  // The menu entries that have a key, by their command id.
  std::map<int, QAction*> keyed;
  // The band's button that sends each command, by its command id.
  std::map<int, Control> buttons;
  FileListModel* fileListModel = nullptr;
  FileListPane* child1 = nullptr;
  ResultPane* child2 = nullptr;
};

class WindowBuilder {
 public:
  using Dispatch = std::function<void(int id)>;

  // The key of a command, empty for one without.
  static QKeySequence KeyOf(int id);
  // `tip` with the key of `id` beside it, as the menu shows it.
  static QString WithKey(const QString& tip, int id);

  WindowBuilder(QMainWindow& window, Dispatch command);

  // Menu, status bar, bands and panes on the window, in that order; the
  // file list's model answers from `rows`. The panes send their commands
  // through links.command, or through the dispatch when it has none.
  WindowControls Build(FileList& rows, const PreReadButton& preRead, PaneLinks links = {});

 private:
  void BuildMenu();
  void BuildStatusBar();
  void BuildBands(const PreReadButton& preRead);
  void BuildRunBand(const PreReadButton& preRead);
  void BuildFolderBand();
  void BuildNameBand();
  void BuildJpegBand();
  void BuildPanes(FileList& rows, PaneLinks links);
  // A band of its own, headed by `label` unless it is empty.
  QToolBar* Band(const QString& label);
  // Puts `w` on `bar` under `name`, its tip (and the key of `id`, if it
  // has one) as its tooltip and accessible name; a button sends `id` when
  // clicked.
  void Add(QToolBar* bar, QWidget* w, std::optional<Control> c, const char* name, const char* tip, int id);
  // Tab follows the controls' places: the bands by rows, then the panes.

  QMainWindow& window_;
  Dispatch command_;
  WindowControls built_;
};

}  // namespace pictray::app
