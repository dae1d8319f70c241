// The Pictray main window: shows what the runs report and dispatches every
// command at Command(id), whatever its source. The builder makes its
// controls, the launcher starts its runs, the window settings keep what
// outlives a start.
#pragma once

#include <QMainWindow>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/common/run_launcher.h"
#include "app/common/window_calls.h"
#include "app/pictray/box_turn.h"
#include "app/pictray/controls.h"
#include "app/pictray/pane_links.h"
#include "app/pictray/preview.h"
#include "app/pictray/run_progress_view.h"
#include "app/pictray/run_window.h"
#include "app/pictray/window_builder.h"
#include "app/pictray/window_settings.h"
#include "engine/colour/thumbnail_library.h"
#include "engine/run/command_ids.h"
#include "engine/run/pictray_state.h"
#include "engine/runs/run_commands.h"
#include "thumbkit/thumbkit.h"

class QAction;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class QTreeWidget;
class QTimer;

namespace pictray::app {

class FileListModel;
class FileListPane;
class ResultPane;

struct StartOptions {
  std::string programDir;  // folder of the program, its settings and libraries
  std::string ProName = "Pictray";
  std::string CurrentDir;  // path from the command line, quotes removed
};

// The path of the command line: one argument, or several joined by blanks
// (a path with blanks given without quotes); surrounding quotes removed.
std::string CommandLinePath(int argc, char** argv);

class MainWindow : public QMainWindow, public RunWindow {
  Q_OBJECT
 public:
  // Builds the window as start-up does; nullptr (after "dll_Error") when
  // the thumbnail library cannot be loaded.
  static std::unique_ptr<MainWindow> Create(const StartOptions& options);
  ~MainWindow() override;

  // Every command of the program: buttons, menus, child panes, runs. The
  // panes send 1037 with lparam 1 (the RGB dialog whatever BT12 shows).
  void Command(int id, int lparam = 0);
  // Control by the system's name (BT01, ED01, LV01, ...).
  QWidget* control(Control c) const;
  FileListModel* fileListModel() const { return c_.fileListModel; }
  PictrayState& state() { return st_; }
  const SettingsStore& settings() const { return settings_.store(); }
  QLabel* statusPart(int part) const { return c_.statusParts[part]; }
  QTreeWidget* summaryList() const { return c_.LV03; }
  QTreeWidget* moveResultList() const { return c_.LV02; }
  QTableView* fileListView() const { return c_.LV01; }
  ResultPane* resultPane() const { return c_.child2; }

  // Shows a message box owned by this window (6 first button, 7 otherwise).
  int Message(const std::string& text, Button caption1, Button caption2);

  // What the run host shows (run_view.cpp).
  int Ask(const pictray::Message& message, Button caption1, Button caption2) override;
  // Whether a box is open, for runs that must wait for their turn.
  BoxTurn& boxTurn() override { return boxTurn_; }
  void ShowRunProgress(const RunProgress& progress) override;
  void ShowItemCount(std::size_t count) override;
  void DeselectAll() override;
  void ShowSummary(const std::vector<SummaryLine>& lines) override;
  void ClearMoveResults() override;
  void ShowMoveResult(std::size_t index, const MoveResultLine& line) override;
  void ShowRunBegan(int command) override;
  // Buttons come up, the list and the move are offered again, and the
  // automatic move starts when the end says it is due.
  void ShowRunEnd(const RunEnd& end) override;
  void ShowSearchedFile(const std::string& name, long row) override;
  // The run's place in the list, shown by a timer rather than per row.
  void NoteRunPlace(std::size_t row) override { runPlace_.store(static_cast<long>(row)); }
  void NoteRowsChanged() override { rowsDirty_.store(true); }

  int childbit1 = 0, childbit2 = 0, childbit3 = 0;
  std::string WinClose;
  int Pimg = 75;
  const int Preimg = 75;

 protected:
  void closeEvent(QCloseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  // Selects, focuses and scrolls to `row`.
  void SelectRow(long row);
  explicit MainWindow(const StartOptions& options);
  bool LoadThumbnailLibrary();
  // Size and place as stored, never smaller than the window can be used.
  void PlaceWindow(const QRect& place);
  PaneLinks LinksForPanes();

  // What the window adds to a command of the table (command_dialogs.cpp):
  // the toggle that sends it, what must hold before it is refused or asked
  // about, its dialog, how the buttons show the choice.
  struct CommandFace {
    bool (MainWindow::*ready)();    // null: always
    bool (MainWindow::*dialog)(RunChoice& choice);  // false: no run; null: nothing to ask
    void (MainWindow::*shown)(int id, bool starts);  // null: nothing to show
  };
  static const std::map<int, CommandFace>& CommandFaces();
  // The toggle of the bands that sends `id`: released, the command only
  // withdraws its choice. None for a command sent by a plain button.
  std::optional<Control> ToggleOf(int id) const;
  // A command of the table: its button, refusal, dialog and choice, then the
  // table's runs on the launcher. A move a run asks for is not refused.
  void TableCommand(const RunCommand& c, int lparam, bool refuseWhileRunning);
  // A classification on the rows, the abort button off meanwhile.
  void ClassifyNow(const RunCommand& c, const RunChoice& choice);
  bool SearchFieldText(RunChoice& choice);    // 1004, 1012: the text of CB01
  void ShowJpegChoice(int id, bool starts);
  void ShowColourChoice(int id, bool starts);
  bool RgbDialog(RunChoice& choice);          // 1037
  bool RatioDialog(RunChoice& choice);        // 1049
  bool StrengthDialog(RunChoice& choice);     // 1053
  bool RowSelected();
  // The picture of the selected row (returned) and the capacity, shown as
  // opening a selected-colour dialog.
  std::string OpenColourDialog(std::size_t* ColorMax);
  bool AllColourDialog(RunChoice& choice);    // 4004
  bool PartColourDialog(RunChoice& choice);   // 4003
  // 1001: refused (with a message) while the folder field names another
  // folder than the listed one.
  bool MoveDialog(RunChoice& choice);
  void ListUp();           // 1002
  void ListFolderAgain();  // 5003: the folder field's folder, refused as list-up is
  void UndoMove();         // 5020: the listed folder's last move run, after a question
  void ListAgain(const std::string& folder);
  void ClearList();        // 1003
  void AbortRuns();        // 1031
  void ClearAnalyses();    // 1034
  void Search();           // 1042
  void PreReadNow();       // 1051
  void RunEnded();         // 1052
  void Preview();          // 6009: the current row's picture
  // Clears the preview when the file it shows is no longer listed.
  void DropGonePreview();
  void OpenFolderDialog(); // 5001
  void ExitFromMenu();     // 5005
  void ChooseGrid(const char* x);  // 5101 / 5102
  void SetGrid(const char* x);
  void OpenFolderWithApp3();  // 1048
  void DisplaySettings();     // 5007
  void Properties();          // 5008
  void OpenHelp();            // 5010
  void AppsChanged();         // 5103
  // Shows the program of "app3" on its icon in the lower pane.
  void RebuildApp3Icon();
  void OnTimer7000();
  void OnHeaderClicked(int column);
  void RefreshRunView();
  // The command's refusal by the command table (list-up's for 5003); false
  // for a command the table has no row for.
  bool RefusedNowById(int id) const;
  // Keys and menu entries of commands a run forbids now are off.
  void ShowRefusedKeys();
  // An id no command has: a message names it.
  void UnknownCommand(int id);

  // Refuses (with a message) commands that reorder or free rows while a run
  // works, as `refusal` says; the button `pressed` of the refused command
  // comes back up.
  bool Refuse(Refusal refusal, std::optional<Control> pressed = std::nullopt);
  bool RefuseWhileRunning(std::optional<Control> pressed = std::nullopt);
  // At closing: no more boxes or commands, open boxes answered 7, every
  // run told to stop; no run starts afterwards.
  void StopRunsForClosing();
  // A worker's end, posted by it: a close that waited for the runs goes on.
  void OnRunEnded();
  // Shows `box` as the window's one open box; 7 while the window closes.
  int InBoxTurn(const std::function<int()>& box);
  // A command a run's end calls for; while a box is open it waits for the
  // box to be answered.
  void CommandFromRun(int id);
  // The commands runs sent while a box was open, once none is.
  void SendCommandsAfterBoxes();
  // The buttons a run's end releases.
  void ReleaseButtonsAtEnd(const RunEnd& end);
  bool ConfirmExit(const std::string& question, Button yes, Button no);
  void SetRunLockEnabled(bool enabled);
  void UncheckAnalysisButtons();
  bool IsChecked(Control c) const;
  QProgressBar* ProgressBar(RunBar bar) const;
  void Check(Control c, bool on);
  // The source folder field: set from bytes, read back as the same bytes.
  void SetFolder(const std::string& bytes);
  std::string Folder() const;

  StartOptions options_;
  std::string ProName, WindowTitle, CurrentDir;
  WindowSettings settings_;
  PictrayState st_;
  // Before the host and the launcher: their workers use it until joined.
  ui::WindowCalls calls_{*this};
  std::unique_ptr<RunHost> host_;
  ui::RunLauncher launcher_{st_.runs, [this] { calls_.Post([this] { OnRunEnded(); }); }};
  ThumbnailLibrary hDll;
  MakeMinImageFn MMI = nullptr;
  std::unique_ptr<PreviewDrawer> previews_;  // made at the first preview
  std::string previewed_;  // the path the preview shows, empty for none
  std::string partCaption_;  // the part colour's cells as its dialog named them last

  WindowControls c_;  // as the builder made them
  QTimer* runViewTimer_ = nullptr;
  std::atomic<long> runPlace_{-1};
  std::atomic<bool> rowsDirty_{false};

  bool destroyed_ = false;
  bool closing_ = false;       // the window goes away once its runs have ended
  std::string folderBytes_;    // what the folder field was last given
  bool destroyClose_ = false;  // exit chosen from the menu: the close box rules do not apply
  BoxTurn boxTurn_;
  std::vector<int> commandsAfterBoxes_;
  int listHeldBy_ = 0;  // the command whose run holds the file list, 0 for none
};

}  // namespace pictray::app
