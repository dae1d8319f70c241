// The Twinscan window: lists one folder (or several, their subfolders and
// reference folders), groups its copies, extracts the surplus copies into a
// "same..." folder and deletes that folder on demand.
// The work is an engine run on a worker thread; the window starts it, shows
// what its host brings and can stop it.
#pragma once

#include <QMainWindow>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "app/common/run_launcher.h"
#include "app/twinscan/review_choices.h"
#include "app/twinscan/twinscan_builder.h"
#include "app/twinscan/work_bars.h"
#include "engine/colour/thumbnail_library.h"
#include "engine/fs/memory_budget.h"
#include "engine/run/command_ids.h"
#include "engine/run/twinscan_host.h"
#include "engine/run/twinscan_state.h"
#include "engine/similar/similar_tools.h"
#include "texts/texts.h"

class QAction;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class QTableWidget;

namespace pictray::twinscan {

class FileTableModel;
class FolderList;
class QtTwinscanHost;
class ReviewPane;
class ThumbnailDrawer;

class TwinscanWindow : public QMainWindow {
 public:
  // programPath: the program file (its folder holds the ini file, the help
  // file and erasekit); cmdLine: the command line as given, maybe quoted.
  TwinscanWindow(const std::string& programPath, const std::string& cmdLine);
  ~TwinscanWindow() override;

  // The deleter beside the program; without it the program does not start.
  static std::string DeleterPath(const std::string& programPath);

  void Command(int id);
  // The run that follows a start with a folder.
  void AutoRun();
  // Dropped folders join the folders searched (or, dropped on that list, the
  // reference folders), and the run of a drop follows.
  void DropFolders(const std::vector<std::string>& paths, bool reference);
  // A run is working (from its start until the window took its end).
  bool running() const { return running_; }

  // What a run shows, brought to this thread by its host.
  int Message(const std::string& text, Button caption1, Button caption2);
  void ShowProgress(TwinscanBar bar, int position);
  void ShowCount(const std::string& text);
  void ShowTable(const std::vector<dupes::FileRec>& lpData);
  void ShowCountLine();
  void ClearResultLines();
  void ShowResultLine(std::size_t index, const dupes::SameResultLine& line);
  // Where the run is, how far and the time left (seconds; < 0 not known).
  void ShowRunProgress(texts::ProgressStep step, std::size_t done, std::size_t total, long long secondsLeft);
  void ShowReview(const dupes::TwinReview& review);
  // The run's last call; its thread has returned or is about to.
  void RunEnded(const TwinscanEnd& end);

  // State, by the system's names.
  std::string ProName, profile, helpfile, deleteexe, szlpCmdLine, TargetFolda, samedir, kenbuf;
  std::vector<std::string> samedirs;  // every extraction folder of the last extraction (a tree's: one a root)
  int SortBit = 0;
  std::vector<dupes::MovedFile> movedFiles;  // of the extraction behind samedir
  dupes::TwinReview review;  // the groups of the table shown, as the user left them

  FileTableModel* model() const { return c_.model; }
  QTableWidget* resultList() const { return c_.LV02; }
  QLabel* countLabel() const { return c_.ST01; }
  QAction* undoAction() const { return c_.undoAction; }
  QCheckBox* similarBox() const { return c_.similarBox; }
  FolderList* folderList() const { return c_.folderList; }
  FolderList* referenceList() const { return c_.referenceList; }
  QCheckBox* subfoldersBox() const { return c_.subfoldersBox; }
  ReviewPane* reviewPane() const { return reviewPane_; }
  QPushButton* button(int id) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void KeepControls(const TwinscanControls& built);
  void SortTable();
  void ExtractNow();
  void ExtractChosen();
  // A choice of the review on its selected group or file (cmd::MakeKept, ...).
  void MakeChoice(int id);
  void UndoChoice();
  void ClearReview();
  void SetSimilarSearch();
  // Over a listed folder, asks `question` and on yes searches again.
  void OfferSearchAgain(const QString& question);

  // The folder lists (twinscan_folders.cpp). The listed folders searched
  // again; an extraction waits for the user, whatever BT01 holds.
  void SearchFolders();
  // The lists taken as the search's: its folders, TargetFolda the first;
  // false, saying which, when one is no folder or none is listed.
  bool TakeLists();
  // ... unchecked, as a start with a folder takes it.
  void UseLists();
  void AddFolder(FolderList* list);
  void RemoveFolders(FolderList* list);
  // Paths typed over made whole, each listed once.
  void TakeEditedFolders();
  void SetSubfolders();
  // The lists and the toggle into Twinscan.ini.
  void SaveLibrary();
  // Asks, forgets the review's lasting decisions and offers to search again.
  void ForgetDecisions();
  // The thumbnail library for the review and the search for the same pictures.
  void LoadThumbnails(const std::string& libraryPath);
  void DeleteNow();
  void ClearLists();
  void Shellopen(const std::string& program, const std::string& target);
  void AppFileOpen(const std::string& path);
  void ShowPopup(const QPoint& pos);
  // The run of the command `id` (engine/runs/twinscan_commands.h), once its
  // block is filled; the window does not wait for it. `held`: BT01 and BT42
  // act as held down, as after a start with a folder or a drop.
  void StartRun(int id, bool held = true);
  // At closing: the run is told to stop, its questions and open boxes are
  // answered 7; no run starts afterwards.
  void StopRunForClosing();
  // Enables the controls as a working run, or none, allows.
  void ShowRunState();
  // A folder of the last extraction is still there, so it can be taken back.
  bool ExtractionFolderThere() const;
  // What the next search starts from: the settings file's library, or the
  // folder of a start with one.
  void ShowLibrary();

  std::string programDir_;
  std::unique_ptr<QtTwinscanHost> host_;
  TwinscanBlock val_;
  RunRegistry runs_;
  // The run posts its end itself (RunEnded): the launcher needs no word of it.
  ui::RunLauncher launcher_{runs_, nullptr};
  bool running_ = false;
  bool closing_ = false;
  int job_ = cmd::FindCopies;  // the command of the last run started
  // BT41 and BT42 when no run works: an extraction without a folder to show
  // turns them off until a clear or a drop.
  bool sameButtonsOn_ = true;
  TwinscanControls c_;  // by the system's names
  ThumbnailLibrary thumbkit_;
  // What the search for the same pictures decodes at once, and its tools.
  fs::MemoryBudget similarBudget_;
  similar::SimilarTools similarTools_;
  std::unique_ptr<ThumbnailDrawer> thumbnails_;
  ReviewPane* reviewPane_ = nullptr;
  ReviewChoices choices_;  // what the user chose in the review since it was shown
  bool autoRunTimerStarted_ = false;  // timer 5000 runs once
  QString keepRuleProblem_;  // told once the window is shown: Keep= refused
};

// "FOLDER" -> FOLDER; anything else unchanged.
std::string RemoveQuotes(const std::string& text);

}  // namespace pictray::twinscan
