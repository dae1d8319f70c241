#include "app/twinscan/twinscan_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileIconProvider>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <thread>
#include <utility>

#include "app/common/control_factory.h"
#include "app/common/help_page.h"
#include "app/common/language.h"
#include "app/common/message_box.h"
#include "app/common/process_spawn.h"
#include "app/common/text_bytes.h"
#include "app/common/window_place.h"
#include "app/twinscan/file_table_model.h"
#include "app/twinscan/folder_list.h"
#include "app/twinscan/properties_dialog.h"
#include "app/twinscan/qt_twinscan_host.h"
#include "app/twinscan/review_pane.h"
#include "app/twinscan/thumbnail_drawer.h"
#include "engine/dupes/decisions.h"
#include "engine/dupes/twinscan_profile.h"
#include "engine/fs/paths.h"
#include "engine/journal/journal.h"
#include "engine/runs/twinscan_commands.h"
#include "engine/settings/profile.h"
#include "engine/settings/program_folders.h"
#include "engine/similar/similar_search.h"

namespace pictray::twinscan {
namespace {

using ui::TextOf;

// The smallest size the window opens at: the file list shows a dozen rows
// and its columns, the review a row of files beside its groups (fitted
// into a smaller screen).
constexpr int kUsefulWidth = 960, kUsefulHeight = 680;

QString Utf8(const char* s) { return QString::fromUtf8(s); }

// The bytes of a dropped local file's path (the URL keeps them percent-encoded).
std::string DroppedPath(const QUrl& url) {
  return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

// $XDG_CACHE_HOME/twinscan, else ~/.cache/twinscan.
std::string SimilarCacheDir(const fs::Env& env) {
  const std::string cache = env.Variable("XDG_CACHE_HOME");
  if (cache.starts_with('/')) return cache + "/twinscan";
  return env.Variable("HOME") + "/.cache/twinscan";
}

// The review's thumbnails are drawn two at a time, beside the search.
constexpr int kThumbnailWorkers = 2;

// Twinscan.ini's Keep= refused: the word at fault and the order used instead.
QString KeepRuleNotice(const dupes::KeepRuleParse& keep) {
  const std::string problem = texts::Words(texts::KeepRuleProblem(keep.error, keep.word), ui::WindowLanguage());
  return QCoreApplication::translate("Twinscan", "Twinscan.ini の Keep= を使えません: %1。代わりに既定の順 %2 で残すファイルを選びます。")
      .arg(TextOf(problem), TextOf(dupes::KeepRuleText(dupes::DefaultKeepRule())));
}

std::string ProgramFolder(const std::string& programPath) {
  std::string folder = programPath;
  PathFoldaRemove(folder);
  return folder;
}

}  // namespace

std::string RemoveQuotes(const std::string& text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
  return text;
}

std::string TwinscanWindow::DeleterPath(const std::string& programPath) {
  return LocateProgramFolders(fs::DefaultEnv(), ProgramFolder(programPath)).libraryDir + "/erasekit";
}

TwinscanWindow::TwinscanWindow(const std::string& programPath, const std::string& cmdLine)
    : szlpCmdLine(cmdLine),
      programDir_(ProgramFolder(programPath)),
      host_(std::make_unique<QtTwinscanHost>(*this)) {
  const ProgramFolders folders = LocateProgramFolders(*val_.env, programDir_);
  const std::string base = programPath.substr(programPath.rfind('/') + 1);
  ProName = dupes::RemoveExtension(base);
  profile = dupes::TwinscanProfilePath(folders.settingsDir + "/" + base);
  helpfile = folders.dataDir + "/" + ProName + ui::HelpPageEnding();
  deleteexe = folders.libraryDir + "/erasekit";
  // An installed program's first start: the folder its settings go to.
  if (!MakeSettingsFolder(*val_.env, folders)) {
    const std::string why = std::strerror(errno);
    const QString text = QCoreApplication::translate("Twinscan", "設定フォルダを作成できません: %1 (%2)");
    ui::MessageBox1Q(this, text.arg(TextOf(folders.settingsDir), TextOf(why)), Button::Err, Button::Err);
  }
  const dupes::TwinscanProfile p = dupes::ReadTwinscanProfile(*val_.env, profile);
  // A list it refuses keeps the default rule, and the user is told so once the window is up.
  const dupes::KeepRuleParse keep = dupes::ReadKeepRule(*val_.env, profile);
  val_.keepRule = keep.rule.value_or(dupes::DefaultKeepRule());
  if (!keep.rule) keepRuleProblem_ = KeepRuleNotice(keep);

  setWindowTitle("Twinscan");
  setWindowIcon(ui::GlyphIcon(Utf8("双"), QColor(40, 90, 160)));
  KeepControls(TwinscanBuilder(*this, [this](int id) { Command(id); }).Build());
  c_.ST01->setText("999->99");
  c_.BT01->setChecked(p.MoveSoon == "1");
  c_.BT42->setChecked(p.DeleteSoon == "1");
  LoadThumbnails(folders.libraryDir + "/libthumbkit.so");
  c_.similarBox->setChecked(similarTools_.lib.Drawing() && dupes::ReadSimilarSearch(*val_.env, profile));
  // Pictray places it beside itself without knowing the screen: fitted here.
  // Never smaller than a size that shows a useful list (the stored size of a
  // first start is 400 x 400); PlaceOnScreen fits it into the screen.
  ui::PlaceOnScreen(this, QRect(ProfileNumber(p.Px), ProfileNumber(p.Py), std::max(ProfileNumber(p.Pw), kUsefulWidth),
                                std::max(ProfileNumber(p.Ph), kUsefulHeight)));
  ShowRunState();

  ShowLibrary();
  setAcceptDrops(true);
}

// The run starts once the window is on the screen, so that the listing is
// seen advancing.
void TwinscanWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!keepRuleProblem_.isEmpty())
    QTimer::singleShot(0, this, [this, text = std::exchange(keepRuleProblem_, QString())] {
      ui::MessageBox1Q(this, text, Button::Err, Button::Err);
    });
  if (szlpCmdLine.empty() || autoRunTimerStarted_) return;
  autoRunTimerStarted_ = true;
  QTimer::singleShot(100, this, [this] { AutoRun(); });
}

// A closing host asks the window nothing, so the run ends without it.
TwinscanWindow::~TwinscanWindow() {
  StopRunForClosing();
  launcher_.WaitForAll();
  delete reviewPane_;  // before the review and the thumbnails it reads from
}

void TwinscanWindow::LoadThumbnails(const std::string& libraryPath) {
  thumbkit_.Load(libraryPath);
  similarTools_.lib = thumbkit_.calls();
  similarTools_.lib.budget = similarBudget_.Calls();
  similarTools_.cacheDir = SimilarCacheDir(*val_.env);
  similarTools_.threads = std::max(1u, std::thread::hardware_concurrency());
  similarTools_.search = similar::kLinkedSearch;
  thumbnails_ = std::make_unique<ThumbnailDrawer>(similarTools_.lib, kLargeThumbnail, kSmallThumbnail,
                                                  kThumbnailWorkers, [this] { reviewPane_->ThumbnailArrived(); });
  reviewPane_ = new ReviewPane(nullptr, ReviewSource{&review, &c_.model->lpData(), thumbnails_.get(), &val_.keepRule},
                               [this](int id) { Command(id); });
  c_.tabs->addTab(reviewPane_, QCoreApplication::translate("Twinscan", "グループの確認"));
  if (!similarTools_.lib.Drawing()) {
    c_.similarBox->setEnabled(false);
    ui::MakeToolTip(c_.similarBox, QCoreApplication::translate("Twinscan", "サムネイルライブラリを読み込めません: %1")
                                       .arg(TextOf(libraryPath)));
  }
}

void TwinscanWindow::KeepControls(const TwinscanControls& built) {
  c_ = built;
  built.central->installEventFilter(this);
  connect(c_.LV01, &QWidget::customContextMenuRequested, this, &TwinscanWindow::ShowPopup);
  for (QHeaderView* h : {c_.LV01->horizontalHeader(), c_.LV02->horizontalHeader()})
    connect(h, &QHeaderView::sectionClicked, this, [this] { SortTable(); });
}

QPushButton* TwinscanWindow::button(int id) const {
  for (QPushButton* b : {c_.BT01, c_.BT41, c_.BT42, c_.BT43, c_.BT44})
    if (ui::ControlId(b) == id) return b;
  return nullptr;
}

bool TwinscanWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == centralWidget() && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
    PlaceControls(c_, centralWidget()->y(), centralWidget()->width(),
                  centralWidget()->height() + centralWidget()->y());
  return QMainWindow::eventFilter(watched, event);
}

void TwinscanWindow::Command(int id) {
  // While a run works, what would change its table, its lists or its
  // extraction folder waits for its end (the controls are off meanwhile).
  if (TwinscanRefused(id, running_)) return;
  switch (id) {
    case cmd::Clear:
      c_.model->clear();
      ClearLists();
      ClearReview();
      sameButtonsOn_ = true;
      ShowRunState();
      break;
    case cmd::Properties: {
      PropertiesDialog dialog(this, profile, TextOf(ProName), windowIcon());
      dialog.exec();
      break;
    }
    case cmd::Help:
      ui::OpenHelpPage(this, helpfile, [this](const std::string& text) { Message(text, Button::Err, Button::Err); });
      break;
    case cmd::Extract:
      ExtractNow();
      break;
    case cmd::ExtractChosen:
      ExtractChosen();
      break;
    case cmd::MakeKept:
    case cmd::LeaveOut:
    case cmd::LeaveOutGroup:
      MakeChoice(id);
      break;
    case cmd::UndoChoice:
      UndoChoice();
      break;
    case cmd::SearchAgain:
      SearchFolders();
      break;
    case cmd::ChooseFolder:
    case cmd::AddReference:
      AddFolder(id == cmd::ChooseFolder ? c_.folderList : c_.referenceList);
      break;
    case cmd::RemoveFolder:
    case cmd::RemoveReference:
      RemoveFolders(id == cmd::RemoveFolder ? c_.folderList : c_.referenceList);
      break;
    case cmd::FoldersEdited:
      TakeEditedFolders();
      break;
    case cmd::Subfolders:
      SetSubfolders();
      break;
    case cmd::ForgetDecisions:
      ForgetDecisions();
      break;
    case cmd::SimilarToo:
      SetSimilarSearch();
      break;
    case cmd::OpenSame:
      if (!samedir.empty()) Shellopen(dupes::ReadOpenApp(*val_.env, profile), samedir);
      break;
    case cmd::Delete:
      DeleteNow();
      break;
    case cmd::UndoExtract:
      if (ExtractionFolderThere()) StartRun(cmd::UndoExtract);
      break;
    case cmd::Quit:
      close();
      break;
    case cmd::Stop:
      val_.abort.store(1);
      break;
    case cmd::OpenFiles: {
      std::set<int> rows;
      for (const QModelIndex& i : c_.LV01->selectionModel()->selectedRows()) rows.insert(i.row());
      for (int r : rows) AppFileOpen(c_.model->lpData()[static_cast<std::size_t>(r)].path);
      break;
    }
    default:
      break;
  }
}

void TwinscanWindow::ClearLists() {
  c_.LV02->setRowCount(0);
  c_.PR01->setValue(0);
  c_.PR02->setValue(0);
}

void TwinscanWindow::SortTable() {
  if (running_) return;  // the run shows its own order when it is done
  SortBit = 0;
  dupes::SortFileTable(c_.model->lpData(), SortBit, val_.keepRule);
  c_.model->Redraw();
}

void TwinscanWindow::AutoRun() {
  if (TwinscanRefused(cmd::FindCopies, running_)) return;
  UseLists();
  StartRun(cmd::FindCopies);
}

void TwinscanWindow::StartRun(int id, bool held) {
  if (closing_) return;
  val_.TargetFolda = TargetFolda;
  val_.deleteexe = deleteexe;
  val_.programDir = programDir_;
  val_.journalDir = JournalDir(*val_.env, "twinscan");
  val_.MoveSoon = held && c_.BT01->isChecked();
  val_.DeleteSoon = held && c_.BT42->isChecked();
  val_.pause = std::chrono::milliseconds(100);
  val_.lpData = c_.model->lpData();
  val_.samedir = samedir;
  val_.samedirs = samedirs;
  val_.decisionsPath = dupes::DecisionsPath(*val_.env, "twinscan");
  val_.kenbuf = kenbuf;
  val_.moved = movedFiles;
  val_.chosen = id == cmd::ExtractChosen ? std::optional(review.groups) : std::nullopt;
  val_.lasting = id == cmd::ExtractChosen ? choices_.Lasting() : std::vector<dupes::ReviewDecision>{};
  val_.similar = c_.similarBox->isChecked() && similarTools_.lib.Drawing();
  // The library also reads the facts the review shows of every group's files.
  val_.similarTools = similarTools_.lib.Drawing() ? &similarTools_ : nullptr;
  val_.abort.store(0);
  // Every other run lists the folder again, so the former groups' rows go
  // with it; an extraction keeps them until its end, as one refused changes
  // nothing, and an undo until it lists the folder again, as one declined
  // (or with nothing to take back) leaves the review and its choices as they were.
  if (id != cmd::Extract && id != cmd::ExtractChosen && id != cmd::UndoExtract) ClearReview();
  job_ = id;
  running_ = true;
  ShowRunState();
  launcher_.Start([this, run = FindTwinscanCommand(id)->run](RunRegistry::Guard) { run(val_, *host_); });
}

void TwinscanWindow::StopRunForClosing() {
  closing_ = true;
  host_->SetClosing();
  val_.abort.store(1);
  ui::CloseMessageBoxes(this);
}

void TwinscanWindow::ExtractNow() {
  if (!c_.BT01->isChecked()) return;
  if (c_.model->lpData().empty()) return;  // the preference for the next run
  c_.BT01->setChecked(false);
  sameButtonsOn_ = false;
  StartRun(cmd::Extract);
}

// The groups as the user left them in the review, whatever BT01 holds.
void TwinscanWindow::ExtractChosen() {
  if (c_.model->lpData().empty()) return;
  sameButtonsOn_ = false;
  StartRun(cmd::ExtractChosen);
}

void TwinscanWindow::DeleteNow() {
  if (!c_.BT42->isChecked()) return;
  if (samedir.empty()) return;  // the preference for the next run
  c_.BT42->setChecked(false);
  StartRun(cmd::Delete);
}

void TwinscanWindow::Shellopen(const std::string& program, const std::string& target) {
  const pid_t pid = ui::SpawnOnPath(program, target, {});
  if (pid < 0) {
    const std::string why = std::strerror(errno);
    ui::MessageBox1Q(this,
                     QCoreApplication::translate("Twinscan", "アプリ「%1」を起動できません: %2")
                         .arg(TextOf(program), TextOf(why)),
                     Button::Err, Button::Err);
    return;
  }
  ui::WhenEnded(this, pid, {});
}

void TwinscanWindow::AppFileOpen(const std::string& path) { Shellopen(dupes::ReadFileApp(*val_.env, profile), path); }

void TwinscanWindow::ShowPopup(const QPoint& pos) {
  QMenu menu(this);
  connect(menu.addAction(QCoreApplication::translate("Twinscan", "open")), &QAction::triggered, this,
          [this] { Command(cmd::OpenFiles); });
  menu.exec(c_.LV01->viewport()->mapToGlobal(pos));
}

void TwinscanWindow::closeEvent(QCloseEvent* event) {
  // The run is stopped, and the window closes when its end arrives.
  if (running_) {
    StopRunForClosing();
    event->ignore();
    return;
  }
  closing_ = true;
  dupes::TwinscanProfile p;
  p.MoveSoon = c_.BT01->isChecked() ? "1" : "0";
  p.DeleteSoon = c_.BT42->isChecked() ? "1" : "0";
  p.Px = std::to_string(x());
  p.Py = std::to_string(y());
  p.Pw = std::to_string(width());
  p.Ph = std::to_string(height());
  if (!dupes::WriteTwinscanProfile(*val_.env, profile, p))
    ui::MessageBox1Q(this, QCoreApplication::translate("Twinscan", "設定ファイルに書き込めません: %1").arg(TextOf(profile)),
                     Button::Err, Button::Err);
  event->accept();
}

void TwinscanWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!running_ && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TwinscanWindow::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths.push_back(DroppedPath(url));
  if (paths.empty()) return;
  event->acceptProposedAction();
  const QWidget* on = childAt(event->position().toPoint());
  const bool reference = on && (on == c_.referenceList || c_.referenceList->isAncestorOf(on));
  // Run after the drop has ended, so that the dragging program is not held.
  QTimer::singleShot(0, this, [this, paths, reference] { DropFolders(paths, reference); });
}

}  // namespace pictray::twinscan
