// The Twinscan window: lists one folder, groups its copies, extracts the
// surplus copies into a "same..." folder and deletes that folder on demand.
// Everything runs on the window's thread.
#pragma once

#include <QMainWindow>
#include <string>
#include <vector>

#include "engine/dupes/extract.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class QTableWidget;

namespace pictray::twinscan {

class FileTableModel;

// Command ids of the toolbar, buttons and popup menu.
namespace cmd {
inline constexpr int Clear = 1001;
inline constexpr int Properties = 1008;
inline constexpr int Help = 1009;
inline constexpr int Extract = 2003;   // BT01
inline constexpr int OpenSame = 2023;  // BT41
inline constexpr int Delete = 2024;    // BT42
inline constexpr int Quit = 2025;      // BT43
inline constexpr int OpenFiles = 3003;
}  // namespace cmd

class TwinscanWindow : public QMainWindow {
 public:
  // programPath: the program file (its folder holds the ini file, the help
  // file and erasekit); cmdLine: the command line as given, maybe quoted.
  TwinscanWindow(const std::string& programPath, const std::string& cmdLine);
  ~TwinscanWindow() override;

  // The deleter beside the program; without it the program does not start.
  static std::string DeleterPath(const std::string& programPath);

  void Command(int id);
  // The run that follows a start with a folder or a drop.
  void AutoRun(bool dropped, const std::string& droppedPath = {});

  // State, by the system's names.
  std::string ProName, profile, helpfile, deleteexe, szlpCmdLine, TargetFolda, samedir, kenbuf;
  int SortBit = 0;
  std::vector<dupes::MovedFile> movedFiles;  // of the extraction behind samedir

  FileTableModel* model() const { return model_; }
  QTableWidget* resultList() const { return LV02; }
  QLabel* countLabel() const { return ST01; }
  QPushButton* button(int id) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildControls();
  void Layout();
  bool SetListView();
  void SortTable();
  dupes::ExtractResult MakeFoldaAndMove();
  void ShowResultLine(std::size_t index, const dupes::SameResultLine& line);
  void ExtractNow();
  void DeleteNow();
  void DeletionSequence();
  bool FileDELETE2(const std::string& path, QString& error);
  void ClearLists();
  void Shellopen(const std::string& program, const std::string& target);
  void AppFileOpen(const std::string& path);
  void ShowPopup(const QPoint& pos);
  int Ask(const QString& text, const char* caption1, const char* caption2);

  std::string programDir_;
  FileTableModel* model_ = nullptr;
  QToolBar* toolbar_ = nullptr;
  QTableView* LV01 = nullptr;
  QTableWidget* LV02 = nullptr;
  QLabel* ST01 = nullptr;
  QProgressBar* PR01 = nullptr;
  QProgressBar* PR02 = nullptr;
  QPushButton* BT01 = nullptr;
  QPushButton* BT41 = nullptr;
  QPushButton* BT42 = nullptr;
  QPushButton* BT43 = nullptr;
  bool autoRunTimerStarted_ = false;  // timer 5000 runs once
};

// "FOLDER" -> FOLDER; anything else unchanged.
std::string RemoveQuotes(const std::string& text);

}  // namespace pictray::twinscan
