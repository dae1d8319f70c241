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
            "err", "err");
  settings_.Share(st_);
  st_.journalDir = JournalDir(*st_.env, "pictray");
  const StartSettings start = settings_.ReadAtStart();
  WinClose = start.WinClose;

  if (!LoadThumbnailLibrary()) {
    Message("dll_Error", "err", "err");
    settings_.RemoveWorkingFiles();
    return;
  }
  PlaceWindow(start.place);
  st_.Firstset = 1;

  const PreReadButton preRead{start.ZenApp, start.ZenAppOn, options.programDir};
  KeepControls(WindowBuilder(*this, [this](int id) { Command(id); }).Build(st_.rows, preRead, LinksForPanes()));
  SetGrid(start.PartX == "8" ? "8" : "4");
  connect(LV01->horizontalHeader(), &QHeaderView::sectionClicked, this, &MainWindow::OnHeaderClicked);
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
  hDll.setFileName(TextOf(settings_.store().dllfile));
  if (!hDll.load()) return false;
  MMI = reinterpret_cast<MakeMinImageFn>(hDll.resolve("MakeMinImage"));
  st_.MMI = MMI;  // the colour runs draw through it
  // The others may be missing from an older library.
  st_.MMIs = reinterpret_cast<MakeMinImagesFn>(hDll.resolve("MakeMinImages"));
  st_.PictureRows = reinterpret_cast<PictureRowsFn>(hDll.resolve("PictureRows"));
  st_.MMIWithin = reinterpret_cast<MakeMinImageWithinFn>(hDll.resolve("MakeMinImageWithin"));
  st_.MMIsWithin = reinterpret_cast<MakeMinImagesWithinFn>(hDll.resolve("MakeMinImagesWithin"));
  st_.PictureRowsWithin = reinterpret_cast<PictureRowsWithinFn>(hDll.resolve("PictureRowsWithin"));
  return MMI != nullptr;
}

void MainWindow::PlaceWindow(const QRect& place) {
  // A place stored on a larger screen, or on a monitor no longer there, must
  // not leave the window partly out of reach.
  ui::PlaceOnScreen(this, QRect(place.topLeft(), place.size().expandedTo({400, 300})));
}

void MainWindow::KeepControls(const WindowControls& built) {
  controls_ = built.controls;
  ED01 = built.ED01;
  CB01 = built.CB01;
  LV01 = built.LV01;
  LV02 = built.LV02;
  LV03 = built.LV03;
  PR01 = built.PR01;
  PR02 = built.PR02;
  BT101 = built.BT101;
  std::copy(std::begin(built.statusParts), std::end(built.statusParts), statusParts_);
  menu5101 = built.menu5101;
  menu5102 = built.menu5102;
  keyed_ = built.keyed;
  fileListModel_ = built.fileListModel;
  child1_ = built.child1;
  child2_ = built.child2;
}

PaneLinks MainWindow::LinksForPanes() {
  PaneLinks links;
  links.command = [this](int id, int lparam) { Command(id, lparam); };
  links.message = [this](const std::string& text, const std::string& c1, const std::string& c2) {
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
  auto it = controls_.find(c);
  return it == controls_.end() ? nullptr : it->second;
}

bool MainWindow::IsChecked(Control c) const {
  auto* b = qobject_cast<QAbstractButton*>(control(c));
  return b && b->isChecked();
}

void MainWindow::Check(Control c, bool on) {
  if (auto* b = qobject_cast<QAbstractButton*>(control(c))) b->setChecked(on);
}

void MainWindow::SetFolder(const std::string& bytes) {
  folderBytes_ = bytes;
  ED01->setText(TextOf(bytes));
}

std::string MainWindow::Folder() const {
  // The field shows invalid UTF-8 with replacement characters: while it is
  // unedited, the bytes it was given are the folder.
  return ED01->text() == TextOf(folderBytes_) ? folderBytes_ : BytesOf(ED01->text());
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
  Message(WindowText(QT_TRANSLATE_NOOP("Pictray", "不明なコマンドです: %1"), {std::to_string(id)}), "err", "err");
}

void MainWindow::ChooseGrid(const char* x) {
  settings_.StorePartX(x);
  Message(WindowText(QT_TRANSLATE_NOOP("Pictray", "%1X%1に設定"), {x}), "yes", "yes");
  SetGrid(x);
}

void MainWindow::SetGrid(const char* x) {
  const bool four = std::string_view(x) == "4";
  menu5101->setEnabled(!four);
  menu5102->setEnabled(four);
  Pimg = four ? 75 : 37;
}

void MainWindow::SetRunLockEnabled(bool enabled) {
  for (Control c : {Control::BT02, Control::BT04, Control::BT05, Control::BT06, Control::BT07, Control::BT08,
                    Control::BT10, Control::BT11, Control::BT12, Control::BT13, Control::BT14, Control::BT15,
                    Control::BT16})
    if (QWidget* w = control(c)) w->setEnabled(enabled);
}

void MainWindow::UncheckAnalysisButtons() {
  for (Control c : {Control::BT07, Control::BT08, Control::BT11, Control::BT13, Control::BT14, Control::BT15,
                    Control::BT16})
    Check(c, false);
}

bool MainWindow::RefuseWhileRunning(std::optional<Control> pressed) { return Refuse(Refusal::WhileRunning, pressed); }

bool MainWindow::Refuse(Refusal refusal, std::optional<Control> pressed) {
  if (!RefusedNow(refusal, st_)) return false;
  if (pressed) Check(*pressed, false);  // the refused command's button comes back up
  Message(WindowText(kRefusedWhileRunning), "err", "err");
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
  for (const auto& [id, action] : keyed_) action->setEnabled(!RefusedNowById(id));
}

void MainWindow::RefreshRunView() {
  ShowRefusedKeys();
  if (rowsDirty_.exchange(false)) LV01->viewport()->update();
  const long place = runPlace_.exchange(-1);
  if (place >= 0 && place < fileListModel_->rowCount()) {
    LV01->scrollTo(fileListModel_->index(static_cast<int>(place), 0));
    LV01->viewport()->update();
  }
}

void MainWindow::ListUp() {
  // A second list-up would free the rows a run is working on; refused
  // before the pre-read program, which would otherwise run for nothing.
  const RowsCommand& listUp = *FindRowsCommand(cmd::ListUp);
  if (IsChecked(Control::BT02) && Refuse(listUp.refusal, Control::BT02)) return;
  if (BT101->isChecked()) {
    shellOpenSubStalone(this, settings_.ZenApp(), AbsolutePath(Folder()), true, options_.programDir);
  }
  if (QWidget* bt21 = control(Control::BT21)) bt21->hide();
  st_.ExifSel.set(settings_.ExifSel());
  st_.flags.M_Exif = IsChecked(Control::BT07);
  st_.flags.M_Info = IsChecked(Control::BT08);
  st_.flags.M_Hed = IsChecked(Control::BT11);
  st_.flags.M_Size = IsChecked(Control::BT13);
  st_.flags.M_NG = IsChecked(Control::BT14);
  st_.flags.M_RP = IsChecked(Control::BT15);
  st_.flags.M_RS = IsChecked(Control::BT16);
  if (!IsChecked(Control::BT02)) {
    SetRunLockEnabled(true);
    return;
  }
  SetRunLockEnabled(false);
  if (!st_.rows.empty() || fileListModel_->itemCount() > 0) {
    fileListModel_->SetItemCount(0);
    st_.rows.clear();
  }
  std::string folder = Folder();
  if (!IsFolder(*st_.env, folder)) {
    const std::size_t slash = folder.rfind('/');
    folder = slash == std::string::npos ? std::string() : folder.substr(0, slash == 0 ? 1 : slash);
    SetFolder(folder);
  }
  launcher_.Start(PrepareRowsRun(listUp, st_, *host_, folder, std::make_shared<RunChoice>()));
}

void MainWindow::UndoMove() {
  const RowsCommand& undo = *FindRowsCommand(cmd::MenuUndoMove);
  if (Refuse(undo.refusal)) return;
  const std::string listed = st_.listedFolder.get();
  const std::string folder = listed.empty() ? Folder() : listed;
  // Journal read and question asked on the run's thread: a journal that is
  // slow to read holds no window.
  auto choice = std::make_shared<RunChoice>();
  auto undone = std::make_shared<bool>(false);
  choice->undo = UndoTurnsOnHost(*host_, folder);
  choice->undo.ended = [undone, shown = std::move(choice->undo.ended)](const UndoReport& report) {
    shown(report);
    *undone = true;
  };
  launcher_.Start([this, folder, undone, run = PrepareRowsRun(undo, st_, *host_, folder, choice)](
                      RunRegistry::Guard g) {
    run(std::move(g));
    if (!*undone) return;
    // Once the registration is gone: the folders the undo removed leave the
    // move results, and the rows, which no longer match the folder, are
    // listed again.
    calls_.Post([this, folder] {
      child2_->DropGoneMoveResults();
      ListAgain(folder);
    });
  });
}

void MainWindow::ListFolderAgain() {
  if (RefusedNowById(cmd::MenuListUp)) {
    Message(WindowText(kRefusedWhileRunning), "err", "err");
    return;
  }
  ListAgain(Folder());
}

void MainWindow::ListAgain(const std::string& folder) {
  if (closing_) return;
  SetFolder(folder);
  Check(Control::BT02, true);
  Command(cmd::ListUp);
}

void MainWindow::ClearList() {
  if (fileListModel_->itemCount() == 0) return;
  if (RefuseWhileRunning()) return;
  fileListModel_->SetItemCount(0);
  st_.rows.clear();
  LV03->clear();
  statusParts_[1]->clear();
  DropGonePreview();
  control(Control::BT01)->setEnabled(false);
  st_.flags.Reset();
  st_.Firstset = 1;
  UncheckAnalysisButtons();
  AbortRuns();
}

void MainWindow::AbortRuns() {
  st_.blocks.AbortAll();
  control(Control::BT01)->setEnabled(true);
  if (QWidget* bt21 = control(Control::BT21)) bt21->hide();
  LV02->clear();
}

void MainWindow::ClearAnalyses() {
  if (st_.rows.empty()) return;
  const RowsCommand& clear = *FindRowsCommand(cmd::ClearAnalyses);
  if (Refuse(clear.refusal)) return;
  if (Message(WindowText(QT_TRANSLATE_NOOP("Pictray", "解析クリアしますか?")), "OK", "NO") != 6) return;
  clear.now(st_, *host_);
  LV03->clear();  // at once: the host's clearing comes later
  PR01->setRange(0, 100);
  PR01->setValue(0);
  LV01->clearSelection();
  fileListModel_->RefreshAll();
  UncheckAnalysisButtons();
  control(Control::BT01)->setEnabled(false);
}

void MainWindow::Search() {
  LV01->clearSelection();
  const std::string name = BytesOf(CB01->text());
  st_.SarchFile.set(name);
  if (st_.rows.empty() || name.empty()) return;
  const long row = st_.rows.SelectListView(name);
  if (row < 0 || row >= fileListModel_->rowCount()) {
    Message("Not Found", "yes", "yes");
    return;
  }
  SelectRow(row);
}

void MainWindow::PreReadNow() {
  const std::string folder = Folder();
  if (!BT101->isChecked() || folder.empty()) return;
  if (Message(WindowText(QT_TRANSLATE_NOOP("Pictray", "起動しますか")), "OK", "NO") != 6) return;
  if (!st_.rows.empty() &&
      Message(WindowText(QT_TRANSLATE_NOOP("Pictray", "実施後再度読み込みが必要です。起動しますか")), "OK", "NO") != 6)
    return;
  shellOpenSub(this, settings_.ZenApp(), AbsolutePath(folder), options_.programDir);
  BT101->setChecked(false);
}

void MainWindow::RunEnded() {
  SetRunLockEnabled(!IsChecked(Control::BT02));
  DropGonePreview();
}

void MainWindow::DropGonePreview() {
  if (previewed_.empty()) return;
  const std::string folder = st_.listedFolder.get();
  bool listed = false;
  st_.rows.forEach([&](std::size_t, const Row& r) { listed = listed || PathOfRow(folder, r) == previewed_; });
  if (listed) return;
  previewed_.clear();
  if (previews_) previews_->Cancel();
  child2_->ShowPreview(QImage());
}

void MainWindow::Preview() {
  const long row = child1_->CurrentRow();
  if (row < 0 || static_cast<std::size_t>(row) >= st_.rows.ListMax()) return;
  const Row r = st_.rows.row(static_cast<std::size_t>(row));
  CB01->setText(TextOf(r.name));
  // Drawn on a worker: a large or hostile file never holds the window.
  if (!previews_)
    previews_ = std::make_unique<PreviewDrawer>(
        [MMI = MMI, edge = Preimg](const std::string& path) { return MakePreview(MMI, path, edge); },
        [pane = child2_](const QImage& square) { pane->ShowPreview(square); });
  // The rows are the listed folder's files, whatever the field says now.
  previewed_ = PathOfRow(st_.listedFolder.get(), r);
  previews_->Request(previewed_);
}

void MainWindow::OpenFolderDialog() {
  const QString dir = ui::SHBDlg(this, ED01->text());
  if (dir == "cancel") return;
  QString path = dir;
  if (path.size() > 1 && path.endsWith('/')) path.chop(1);
  SetFolder(BytesOf(path));
}

bool MainWindow::ConfirmExit(const std::string& question, const char* yes, const char* no) {
  if (childbit1 || childbit2 || childbit3) {
    Message(WindowText(QT_TRANSLATE_NOOP("Pictray", "ダイアログ起動中")), "err", "err");
    return false;
  }
  return Message(question, yes, no) == 6;
}

void MainWindow::ExitFromMenu() {
  if (!ConfirmExit(WindowText(QT_TRANSLATE_NOOP("Pictray", "%1終了しますか？"), {WindowTitle}), "OK", "NO")) return;
  settings_.StoreZenAppOn(BT101->isChecked());
  destroyClose_ = true;
  close();
}

void MainWindow::closeEvent(QCloseEvent* e) {
  if (!closing_ && !destroyClose_) {
    if (WinClose != "1") {
      Message(WindowText(QT_TRANSLATE_NOOP("Pictray", "メニューから終了して下さい")), "yes", "yes");
      e->ignore();
      return;
    }
    if (!ConfirmExit(WindowText(QT_TRANSLATE_NOOP("Pictray", "%1 終了しますか？"), {WindowTitle}), "終了する",
                     "しない")) {
      e->ignore();
      return;
    }
    settings_.StoreZenAppOn(BT101->isChecked());
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

void MainWindow::OnHeaderClicked(int column) {
  if (fileListModel_->itemCount() == 0) return;
  if (RefuseWhileRunning()) return;
  if (!st_.rows.Sort(column, st_.SortBit)) return;
  fileListModel_->RefreshAll();
  child1_->ShowSortIndicator(column, st_.SortBit);
}

}  // namespace pictray::app
