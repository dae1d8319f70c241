#include "app/pictray/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <string_view>

#include "app/common/control_factory.h"
#include "app/common/message_box.h"
#include "app/common/text_bytes.h"
#include "app/common/window_place.h"
#include "app/pictray/analysis_dialog.h"
#include "app/pictray/file_list_pane.h"
#include "app/pictray/list_models.h"
#include "app/pictray/preview.h"
#include "app/pictray/program_launcher.h"
#include "app/pictray/qt_run_host.h"
#include "app/pictray/result_pane.h"
#include "app/pictray/window_builder.h"
#include "app/pictray/window_text.h"
#include "engine/fs/paths.h"
#include "engine/runs/colour_runs.h"
#include "engine/runs/undo_run.h"
#include "engine/settings/settings_keys.h"

namespace pictray::app {
namespace {

using ui::BytesOf;
using ui::GlyphIcon;
using ui::TextOf;

constexpr const char* kRefusedWhileRunning =
    QT_TRANSLATE_NOOP("Pictray", "処理中は実行できません。中断するか終了を待って下さい");

}  // namespace

std::string CommandLinePath(int argc, char** argv) {
  std::string path;
  for (int i = 1; i < argc; ++i) path += (i > 1 ? " " : "") + std::string(argv[i]);
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
  return path;
}

std::unique_ptr<MainWindow> MainWindow::Create(const StartOptions& options) {
  std::unique_ptr<MainWindow> w(new MainWindow(options));
  if (!w->MMI) {
    w->destroyed_ = true;  // nothing to store: the window was never shown
    return nullptr;
  }
  return w;
}

MainWindow::MainWindow(const StartOptions& options)
    : options_(options),
      ProName(options.ProName),
      WindowTitle("Pictray"),
      // Made whole now: the current folder may change before it is used.
      CurrentDir(AbsolutePath(options.CurrentDir)),
      settings_(options.programDir, options.ProName) {
  setWindowTitle(TextOf(WindowTitle));
  setWindowIcon(GlyphIcon("P", QColor(40, 110, 200)));
  host_ = std::make_unique<QtRunHost>(*this, calls_);

  if (!settings_.Open())
    Message(WindowText(settings_.store().tooLarge ? QT_TRANSLATE_NOOP("Pictray", "設定ファイルが大きすぎます: %1")
                                                  : QT_TRANSLATE_NOOP("Pictray", "設定ファイルを作成できません: %1"),
                       {settings_.store().GRprofile}),
            Button::Err, Button::Err);
  settings_.Share(st_);
  st_.journalDir = JournalDir(*st_.env, "pictray");
  const StartSettings start = settings_.ReadAtStart();
  WinClose = start.WinClose;

  if (!LoadThumbnailLibrary()) {
    Message("dll_Error", Button::Err, Button::Err);
    settings_.RemoveWorkingFiles();
    return;
  }
  PlaceWindow(start.place);
  st_.Firstset = 1;

  const PreReadButton preRead{start.ZenApp, start.ZenAppOn, options.programDir};
  c_ = WindowBuilder(*this, [this](int id) { Command(id); }).Build(st_.rows, preRead, LinksForPanes());
  SetGrid(start.PartX == "8" ? "8" : "4");
  connect(c_.LV01->horizontalHeader(), &QHeaderView::sectionClicked, this, &MainWindow::OnHeaderClicked);
  setAcceptDrops(true);

  runViewTimer_ = new QTimer(this);
  connect(runViewTimer_, &QTimer::timeout, this, &MainWindow::RefreshRunView);
  runViewTimer_->start(100);
  if (!CurrentDir.empty()) QTimer::singleShot(100, this, &MainWindow::OnTimer7000);
}

MainWindow::~MainWindow() {
  // A closing host asks nothing of the window, so the workers end without it.
  StopRunsForClosing();
  launcher_.WaitForAll();
  if (destroyed_) return;
  destroyed_ = true;
  settings_.RemoveWorkingFiles();
  settings_.StorePlace(pos(), geometry().size());
}

bool MainWindow::LoadThumbnailLibrary() {
  if (!hDll.Load(settings_.store().dllfile)) return false;
  const ThumbnailCalls& calls = hDll.calls();
  MMI = calls.one;
  DrawThrough(st_, calls);  // the colour runs draw through the same calls
  return true;
}

void MainWindow::PlaceWindow(const QRect& place) {
  // A place stored on a larger screen, or on a monitor no longer there, must
  // not leave the window partly out of reach.
  ui::PlaceOnScreen(this, QRect(place.topLeft(), place.size().expandedTo({400, 300})));
}

PaneLinks MainWindow::LinksForPanes() {
  PaneLinks links;
  links.command = [this](int id, int lparam) { Command(id, lparam); };
  links.message = [this](const std::string& text, Button c1, Button c2) {
    return Message(text, c1, c2);
  };
  links.listedFolder = [this] { return st_.listedFolder.get(); };
  links.prepareListUp = [this](const std::string& folder) {
    SetFolder(folder);
    Check(Control::BT02, true);
  };
  links.MoveOn = &st_.MoveOn;
  links.files = settings_.Files();
  links.programDir = options_.programDir;
  links.ProName = ProName;
  links.ownIcon = windowIcon();
  return links;
}

QWidget* MainWindow::control(Control c) const {
  auto it = c_.controls.find(c);
  return it == c_.controls.end() ? nullptr : it->second;
}

bool MainWindow::IsChecked(Control c) const {
  auto* b = qobject_cast<QAbstractButton*>(control(c));
  return b && b->isChecked();
}

std::optional<Control> MainWindow::ToggleOf(int id) const {
  const auto found = c_.buttons.find(id);
  if (found == c_.buttons.end()) return std::nullopt;
  auto* b = qobject_cast<QAbstractButton*>(control(found->second));
  return b && b->isCheckable() ? std::optional<Control>(found->second) : std::nullopt;
}

void MainWindow::Check(Control c, bool on) {
  if (auto* b = qobject_cast<QAbstractButton*>(control(c))) b->setChecked(on);
}

void MainWindow::SetFolder(const std::string& bytes) {
  folderBytes_ = bytes;
  c_.ED01->setText(TextOf(bytes));
}

std::string MainWindow::Folder() const {
  // The field shows invalid UTF-8 with replacement characters: while it is
  // unedited, the bytes it was given are the folder.
  return c_.ED01->text() == TextOf(folderBytes_) ? folderBytes_ : BytesOf(c_.ED01->text());
}

void MainWindow::Command(int id, int lparam) {
  if (closing_) return;  // a run's last request, arriving while the window goes away
  if (const RunCommand* c = FindRunCommand(id)) {
    TableCommand(*c, lparam, true);
    return;
  }
  switch (id) {
    case cmd::ListUp: ListUp(); break;
    case cmd::ClearList: ClearList(); break;
    case cmd::Abort: AbortRuns(); break;
    case cmd::ClearAnalyses: ClearAnalyses(); break;
    case cmd::Search:
    case cmd::MenuSearch: Search(); break;
    case cmd::PreReadNow: PreReadNow(); break;
    case cmd::RunEnded: RunEnded(); break;
    case cmd::Preview: Preview(); break;
    case cmd::MenuOpen: OpenFolderDialog(); break;
    case cmd::MenuClear: Command(cmd::ClearList); break;
    case cmd::MenuListUp: ListFolderAgain(); break;
    case cmd::MenuExit: ExitFromMenu(); break;
    case cmd::MenuUndoMove: UndoMove(); break;
    case cmd::Grid4: ChooseGrid("4"); break;
    case cmd::Grid8: ChooseGrid("8"); break;
    case cmd::OpenFolderApp3: OpenFolderWithApp3(); break;
    case cmd::MenuAnalysisSettings: OpenModalWindowE(this, settings_.Files()); break;
    case cmd::MenuDisplaySettings: DisplaySettings(); break;
    case cmd::MenuProperties: Properties(); break;
    case cmd::MenuHelp: OpenHelp(); break;
    case cmd::AppsChanged: AppsChanged(); break;
    default: UnknownCommand(id); break;
  }
}

void MainWindow::UnknownCommand(int id) {
  // Every id the window sends is handled above; another one is a fault of the sender, not a silent no-op.
  Message(WindowText(QT_TRANSLATE_NOOP("Pictray", "不明なコマンドです: %1"), {std::to_string(id)}), Button::Err, Button::Err);
}

void MainWindow::ChooseGrid(const char* x) {
  settings_.StorePartX(x);
  Message(WindowText(QT_TRANSLATE_NOOP("Pictray", "%1X%1に設定"), {x}), Button::Yes, Button::Yes);
  SetGrid(x);
}

void MainWindow::SetGrid(const char* x) {
  const bool four = std::string_view(x) == "4";
  c_.menu5101->setEnabled(!four);
  c_.menu5102->setEnabled(four);
  Pimg = four ? 75 : 37;
}

// The buttons of every command of the two tables but the move, which
// list-up offers itself once the rows have targets.
void MainWindow::SetRunLockEnabled(bool enabled) {
  for (const auto& [id, button] : c_.buttons)
    if (id != cmd::MoveStart && (FindRunCommand(id) || FindRowsCommand(id))) control(button)->setEnabled(enabled);
}

void MainWindow::UncheckAnalysisButtons() {
  for (const RunCommand& c : RunCommands())
    if (c.flag) Check(*ToggleOf(c.id), false);
}

bool MainWindow::RefuseWhileRunning(std::optional<Control> pressed) { return Refuse(Refusal::WhileRunning, pressed); }

bool MainWindow::Refuse(Refusal refusal, std::optional<Control> pressed) {
  if (!RefusedNow(refusal, st_)) return false;
  if (pressed) Check(*pressed, false);  // the refused command's button comes back up
  Message(WindowText(kRefusedWhileRunning), Button::Err, Button::Err);
  return true;
}

void MainWindow::StopRunsForClosing() {
  closing_ = true;
  calls_.SetClosing();
  st_.blocks.AbortAll();
  ui::CloseMessageBoxes(this);
}

void MainWindow::OnRunEnded() {
  if (!launcher_.JoinEnded() && closing_) close();
}

bool MainWindow::RefusedNowById(int id) const {
  if (const RowsCommand* c = FindRowsCommand(id == cmd::MenuListUp ? cmd::ListUp : id))
    return RefusedNow(c->refusal, st_);
  if (const RunCommand* c = FindRunCommand(id)) return RefusedNow(c->refusal, st_);
  return false;
}

void MainWindow::ShowRefusedKeys() {
  for (const auto& [id, action] : c_.keyed) action->setEnabled(!RefusedNowById(id));
}

void MainWindow::RefreshRunView() {
  ShowRefusedKeys();
  if (rowsDirty_.exchange(false)) c_.LV01->viewport()->update();
  const long place = runPlace_.exchange(-1);
  if (place >= 0 && place < c_.fileListModel->rowCount()) {
    c_.LV01->scrollTo(c_.fileListModel->index(static_cast<int>(place), 0));
    c_.LV01->viewport()->update();
  }
}

void MainWindow::PreReadNow() {
  const std::string folder = Folder();
  if (!c_.BT101->isChecked() || folder.empty()) return;
  if (Message(WindowText(QT_TRANSLATE_NOOP("Pictray", "起動しますか")), Button::Ok, Button::No) != 6) return;
  if (!st_.rows.empty() &&
      Message(WindowText(QT_TRANSLATE_NOOP("Pictray", "実施後再度読み込みが必要です。起動しますか")), Button::Ok, Button::No) != 6)
    return;
  shellOpenSub(this, settings_.ZenApp(), AbsolutePath(folder), options_.programDir);
  c_.BT101->setChecked(false);
}

void MainWindow::OpenFolderDialog() {
  const QString dir = ui::SHBDlg(this, c_.ED01->text());
  if (dir == "cancel") return;
  QString path = dir;
  if (path.size() > 1 && path.endsWith('/')) path.chop(1);
  SetFolder(BytesOf(path));
}

bool MainWindow::ConfirmExit(const std::string& question, Button yes, Button no) {
  if (childbit1 || childbit2 || childbit3) {
    Message(WindowText(QT_TRANSLATE_NOOP("Pictray", "ダイアログ起動中")), Button::Err, Button::Err);
    return false;
  }
  return Message(question, yes, no) == 6;
}

void MainWindow::ExitFromMenu() {
  if (!ConfirmExit(WindowText(QT_TRANSLATE_NOOP("Pictray", "%1終了しますか？"), {WindowTitle}), Button::Ok, Button::No)) return;
  settings_.StoreZenAppOn(c_.BT101->isChecked());
  destroyClose_ = true;
  close();
}

void MainWindow::closeEvent(QCloseEvent* e) {
  if (!closing_ && !destroyClose_) {
    if (WinClose != "1") {
      Message(WindowText(QT_TRANSLATE_NOOP("Pictray", "メニューから終了して下さい")), Button::Yes, Button::Yes);
      e->ignore();
      return;
    }
    if (!ConfirmExit(WindowText(QT_TRANSLATE_NOOP("Pictray", "%1 終了しますか？"), {WindowTitle}), Button::Quit,
                     Button::DoNot)) {
      e->ignore();
      return;
    }
    settings_.StoreZenAppOn(c_.BT101->isChecked());
  }
  if (!closing_) StopRunsForClosing();
  // Runs still working end soon; the last one's end closes the window.
  if (launcher_.JoinEnded()) {
    e->ignore();
    return;
  }
  e->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* e) {
  if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* e) {
  const QList<QUrl> urls = e->mimeData()->urls();
  if (urls.isEmpty() || !urls.first().isLocalFile()) return;
  // The URL's percent-encoded path keeps the file system's bytes.
  SetFolder(QByteArray::fromPercentEncoding(urls.first().path(QUrl::FullyEncoded).toLatin1()).toStdString());
  e->acceptProposedAction();
}

void MainWindow::OnTimer7000() {
  const std::string path = CurrentDir;
  CurrentDir.clear();
  if (IsFolder(*st_.env, path)) {
    SetFolder(path);
    Check(Control::BT02, true);
    Command(cmd::ListUp);
  } else if (PathExists(*st_.env, path) && !IsFolder(*st_.env, path)) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    st_.SarchFile.set(slash == std::string::npos ? path : path.substr(slash + 1));
    st_.Firstset = 0;
    SetFolder(folder);
    Check(Control::BT02, true);
    Command(cmd::ListUp);
  }
}

}  // namespace pictray::app
