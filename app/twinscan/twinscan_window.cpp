#include "app/twinscan/twinscan_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileIconProvider>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <cerrno>
#include <cstring>
#include <set>

#include "app/common/control_factory.h"
#include "app/common/help_page.h"
#include "app/common/message_box.h"
#include "app/common/process_spawn.h"
#include "app/common/text_bytes.h"
#include "app/common/window_place.h"
#include "app/twinscan/file_table_model.h"
#include "app/twinscan/properties_dialog.h"
#include "app/twinscan/qt_twinscan_host.h"
#include "engine/dupes/twinscan_profile.h"
#include "engine/fs/paths.h"
#include "engine/journal/journal.h"
#include "engine/runs/twinscan_run.h"
#include "engine/settings/profile.h"
#include "engine/settings/program_folders.h"

namespace pictray::twinscan {
namespace {

using ui::TextOf;
QString Utf8(const char* s) { return QString::fromUtf8(s); }

// The mark a toggle shows: an empty box when off, a ticked one when on.
QPixmap ToggleMark(bool on) {
  QPixmap pm(18, 18);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(on ? QColor(255, 255, 255) : QColor(90, 90, 90), 2));
  p.setBrush(on ? QColor(255, 255, 255) : QColor(255, 255, 255, 0));
  p.drawRoundedRect(QRectF(1.5, 1.5, 15, 15), 3, 3);
  if (on) {
    p.setPen(QPen(QColor(190, 50, 10), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(4.5, 9.5), QPointF(7.5, 13), QPointF(13.5, 5)}));
  }
  return pm;
}

// A toggle that is on makes the next start act without a question, so its
// on state has to stand out: a strong colour and a ticked box.
void MarkToggle(QPushButton* b, const QString& tip) {
  QIcon mark;
  mark.addPixmap(ToggleMark(false), QIcon::Normal, QIcon::Off);
  mark.addPixmap(ToggleMark(true), QIcon::Normal, QIcon::On);
  b->setIcon(mark);
  b->setIconSize(QSize(18, 18));
  ui::StandOutWhenOn(b, QColor(0xd8, 0x43, 0x15));
  ui::MakeToolTip(b, tip);
}

// The bytes of a dropped local file's path (the URL keeps them percent-encoded).
std::string DroppedPath(const QUrl& url) {
  return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
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
  const ProgramFolders folders = LocateProgramFolders(fs::DefaultEnv(), programDir_);
  const std::string base = programPath.substr(programPath.rfind('/') + 1);
  ProName = dupes::RemoveExtension(base);
  profile = dupes::TwinscanProfilePath(folders.settingsDir + "/" + base);
  helpfile = folders.dataDir + "/" + ProName + ui::HelpPageEnding();
  deleteexe = folders.libraryDir + "/erasekit";
  // An installed program's first start: the folder its settings go to.
  if (!MakeSettingsFolder(fs::DefaultEnv(), folders)) {
    const std::string why = std::strerror(errno);
    const QString text = QCoreApplication::translate("Twinscan", "設定フォルダを作成できません: %1 (%2)");
    ui::MessageBox1Q(this, text.arg(TextOf(folders.settingsDir), TextOf(why)), "err", "err");
  }
  const dupes::TwinscanProfile p = dupes::ReadTwinscanProfile(profile);

  setWindowTitle("Twinscan");
  setWindowIcon(ui::GlyphIcon(Utf8("双"), QColor(40, 90, 160)));
  BuildControls();
  ST01->setText("999->99");
  BT01->setChecked(p.MoveSoon == "1");
  BT42->setChecked(p.DeleteSoon == "1");
  // Pictray places it beside itself without knowing the screen: fitted here.
  ui::PlaceOnScreen(this, QRect(ProfileNumber(p.Px), ProfileNumber(p.Py), ProfileNumber(p.Pw), ProfileNumber(p.Ph)));
  ShowRunState();

  // Whole from the start: the deleter runs in the program's folder.
  if (!szlpCmdLine.empty()) TargetFolda = AbsolutePath(RemoveQuotes(szlpCmdLine));
  setAcceptDrops(true);
}

// The run starts once the window is on the screen, so that the listing is
// seen advancing.
void TwinscanWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (szlpCmdLine.empty() || autoRunTimerStarted_) return;
  autoRunTimerStarted_ = true;
  QTimer::singleShot(100, this, [this] { AutoRun(false); });
}

// A closing host asks the window nothing, so the run ends without it.
TwinscanWindow::~TwinscanWindow() {
  StopRunForClosing();
  if (worker_.joinable()) worker_.join();
}

void TwinscanWindow::BuildControls() {
  const QFont font = ui::MinchoFont(12);
  toolbar_ = addToolBar("toolbar");
  toolbar_->setObjectName("2010");
  toolbar_->setMovable(false);
  toolbar_->setIconSize(QSize(16, 16));
  auto gap = [this](int separators) {
    auto* w = new QWidget(toolbar_);
    w->setFixedWidth(8 * separators);
    toolbar_->addWidget(w);
  };
  auto tool = [this](QStyle::StandardPixmap image, int id, const QString& tip) {
    QAction* a = toolbar_->addAction(style()->standardIcon(image), tip);
    connect(a, &QAction::triggered, this, [this, id] { Command(id); });
  };
  gap(2);
  tool(QStyle::SP_FileIcon, cmd::Clear, QCoreApplication::translate("Twinscan", "clear"));
  clearAction_ = toolbar_->actions().back();
  gap(1);
  tool(QStyle::SP_ArrowBack, cmd::UndoExtract, QCoreApplication::translate("Twinscan", "抽出を元に戻す"));
  undoAction_ = toolbar_->actions().back();
  gap(11);
  tool(QStyle::SP_FileDialogDetailedView, cmd::Properties,
       QCoreApplication::translate("Twinscan", "properties"));
  tool(QStyle::SP_MessageBoxQuestion, cmd::Help, QCoreApplication::translate("Twinscan", "help"));
  gap(2);

  auto* central = new QWidget(this);
  setCentralWidget(central);
  central->installEventFilter(this);

  model_ = new FileTableModel(this);
  LV01 = new QTableView(central);
  LV01->setObjectName("2000");
  LV01->setModel(model_);
  LV01->setShowGrid(true);
  LV01->setSelectionBehavior(QAbstractItemView::SelectRows);
  LV01->setSelectionMode(QAbstractItemView::ExtendedSelection);
  LV01->setEditTriggers(QAbstractItemView::NoEditTriggers);
  LV01->verticalHeader()->hide();
  LV01->verticalHeader()->setDefaultSectionSize(18);
  LV01->horizontalHeader()->setSectionsMovable(true);
  LV01->horizontalHeader()->setSectionsClickable(true);
  const int widths[dupes::kColumns] = {100, 300, 100, 300, 100, 100, 100, 100};
  for (int c = 0; c < dupes::kColumns; ++c) LV01->setColumnWidth(c, widths[c]);
  LV01->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(LV01, &QWidget::customContextMenuRequested, this, &TwinscanWindow::ShowPopup);

  LV02 = new QTableWidget(0, 5, central);
  LV02->setObjectName("2001");
  LV02->setHorizontalHeaderLabels(
      {QCoreApplication::translate("Twinscan", "フォルダ名"), QCoreApplication::translate("Twinscan", "件数"),
       QCoreApplication::translate("Twinscan", "1件目ファイル"), QCoreApplication::translate("Twinscan", "path"),
       QCoreApplication::translate("Twinscan", "mode")});
  LV02->setShowGrid(true);
  LV02->setSelectionBehavior(QAbstractItemView::SelectRows);
  LV02->setEditTriggers(QAbstractItemView::NoEditTriggers);
  LV02->verticalHeader()->hide();
  LV02->verticalHeader()->setDefaultSectionSize(18);
  LV02->horizontalHeader()->setSectionsMovable(true);
  const int widths2[5] = {100, 50, 100, 100, 100};
  for (int c = 0; c < 5; ++c) {
    LV02->setColumnWidth(c, widths2[c]);
    LV02->horizontalHeaderItem(c)->setTextAlignment(Qt::AlignVCenter | (c > 0 ? Qt::AlignRight : Qt::AlignLeft));
  }
  for (QHeaderView* h : {LV01->horizontalHeader(), LV02->horizontalHeader()})
    connect(h, &QHeaderView::sectionClicked, this, [this] { SortTable(); });

  ST01 = ui::Make_StaticWindow(central, 2005);
  // Top-left and opaque like a plain static text: where a small window lets
  // the result list reach into it, the count stays readable.
  ST01->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  ST01->setAutoFillBackground(true);
  ST01->setFont(font);
  PR01 = ui::Make_progressbar(central, 2008, Qt::blue);
  PR02 = ui::Make_progressbar(central, 2009, Qt::red);
  for (QProgressBar* bar : {PR01, PR02}) bar->setRange(0, 100);

  BT01 = ui::MakeCheckButtonWnd(central, cmd::Extract, QCoreApplication::translate("Twinscan", "同ファイル抽出"));
  BT41 = ui::MakeTextButtonWnd(central, cmd::OpenSame,
                               QCoreApplication::translate("Twinscan", "確認[app_open]"));
  BT42 = ui::MakeCheckButtonWnd(central, cmd::Delete,
                                QCoreApplication::translate("Twinscan", "抽出ファイル削除"));
  BT43 = ui::MakeTextButtonWnd(central, cmd::Quit, QCoreApplication::translate("Twinscan", "終了"));
  BT44 = ui::MakeTextButtonWnd(central, cmd::Stop, QCoreApplication::translate("Twinscan", "中止"));
  ui::MakeToolTip(BT44, QCoreApplication::translate("Twinscan", "処理を次のファイルの前で止めます"));
  MarkToggle(BT01, QCoreApplication::translate(
                       "Twinscan",
                       "オンのとき: フォルダを渡して起動する（またはドロップする）と、確認なしですぐに"
                       "同ファイルを抽出します。オンのまま終了すると次回の起動でもそうします"));
  MarkToggle(BT42, QCoreApplication::translate(
                       "Twinscan",
                       "オンのとき: 抽出のあと、確認なしで抽出フォルダをごみ箱へ移します。"
                       "オンのまま終了すると次回の起動でもそうします"));
  for (QPushButton* b : {BT01, BT41, BT42, BT43, BT44}) {
    b->setFont(font);
    const int id = ui::ControlId(b);
    connect(b, &QPushButton::clicked, this, [this, id] { Command(id); });
  }
}

QPushButton* TwinscanWindow::button(int id) const {
  for (QPushButton* b : {BT01, BT41, BT42, BT43, BT44})
    if (ui::ControlId(b) == id) return b;
  return nullptr;
}

bool TwinscanWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == centralWidget() && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
    Layout();
  return QMainWindow::eventFilter(watched, event);
}

// Places every control as on a client area of W x H that includes the
// toolbar; the central widget starts below it.
void TwinscanWindow::Layout() {
  const int tb = centralWidget()->y();
  const int W = centralWidget()->width();
  const int H = centralWidget()->height() + tb;
  auto place = [tb](QWidget* w, int x, int y, int cx, int cy) {
    w->setGeometry(x, y - tb, std::max(cx, 0), std::max(cy, 0));
  };
  // A toolbar taller than the 26 pixels the layout allows for pushes LV01 down.
  const int top = std::max(30, tb + 4);
  place(LV01, 30, top, W - 60, H / 3 - (top - 30));
  place(LV02, 30, H / 3 + 45, W - 60, H / 3 - 50);
  // The stop control shares the count's line, on the buttons' column.
  place(ST01, 30, H - 150, W - 160, 25);
  place(BT44, W - 130, H - 150, 100, 25);
  PR01->setFixedSize(std::max(W - 60, 0), 10);
  PR02->setFixedSize(std::max(W - 60, 0), 10);
  place(PR01, 30, H - 120, W - 60, 10);
  place(PR02, 30, H - 110, W - 60, 10);
  place(BT01, 30, H - 100, W - 160, 40);
  place(BT42, 30, H - 60, W - 160, 40);
  place(BT41, W - 130, H - 100, 100, 40);
  place(BT43, W - 130, H - 60, 100, 40);
}

void TwinscanWindow::Command(int id) {
  // While a run works, what would change its table, its lists or its
  // extraction folder waits for its end (the controls are off meanwhile).
  const bool touchesTheRun = id == cmd::Clear || id == cmd::Extract || id == cmd::OpenSame || id == cmd::Delete ||
                             id == cmd::UndoExtract;
  if (running_ && touchesTheRun) return;
  switch (id) {
    case cmd::Clear:
      model_->clear();
      ClearLists();
      sameButtonsOn_ = true;
      ShowRunState();
      break;
    case cmd::Properties: {
      PropertiesDialog dialog(this, profile, TextOf(ProName), windowIcon());
      dialog.exec();
      break;
    }
    case cmd::Help:
      ui::OpenHelpPage(this, helpfile, [this](const std::string& text) { Message(text, "err", "err"); });
      break;
    case cmd::Extract:
      ExtractNow();
      break;
    case cmd::OpenSame:
      if (!samedir.empty()) Shellopen(dupes::ReadOpenApp(profile), samedir);
      break;
    case cmd::Delete:
      DeleteNow();
      break;
    case cmd::UndoExtract:
      if (ExtractionFolderThere()) StartRun(Job::Undo);
      break;
    case cmd::Quit:
      close();
      break;
    case cmd::Stop:
      val_.abort.store(1);
      break;
    case cmd::OpenFiles: {
      std::set<int> rows;
      for (const QModelIndex& i : LV01->selectionModel()->selectedRows()) rows.insert(i.row());
      for (int r : rows) AppFileOpen(model_->lpData()[static_cast<std::size_t>(r)].path);
      break;
    }
    default:
      break;
  }
}

void TwinscanWindow::ClearLists() {
  LV02->setRowCount(0);
  PR01->setValue(0);
  PR02->setValue(0);
}

void TwinscanWindow::SortTable() {
  if (running_) return;  // the run shows its own order when it is done
  SortBit = 0;
  dupes::SortFileTable(model_->lpData(), SortBit);
  model_->Redraw();
}

void TwinscanWindow::AutoRun(bool dropped, const std::string& droppedPath) {
  if (running_) return;
  if (dropped) {
    model_->clear();
    ClearLists();
    sameButtonsOn_ = true;
    TargetFolda = droppedPath;
  }
  StartRun(Job::AutoRun);
}

void TwinscanWindow::StartRun(Job job) {
  if (closing_) return;
  val_.TargetFolda = TargetFolda;
  val_.deleteexe = deleteexe;
  val_.programDir = programDir_;
  val_.journalDir = JournalDir(pictray::fs::DefaultEnv(), "twinscan");
  val_.MoveSoon = BT01->isChecked();
  val_.DeleteSoon = BT42->isChecked();
  val_.pause = std::chrono::milliseconds(100);
  val_.lpData = model_->lpData();
  val_.samedir = samedir;
  val_.kenbuf = kenbuf;
  val_.moved = movedFiles;
  val_.abort.store(0);
  job_ = job;
  running_ = true;
  ShowRunState();
  auto run = job == Job::AutoRun  ? ThreadTwinscanAutoRun
             : job == Job::Extract ? ThreadTwinscanExtract
             : job == Job::Undo    ? ThreadTwinscanUndo
                                   : ThreadTwinscanDelete;
  worker_ = std::thread([this, run] { run(val_, *host_); });
}

void TwinscanWindow::RunEnded(const TwinscanEnd& end) {
  worker_.join();
  running_ = false;
  samedir = end.samedir;
  movedFiles = end.moved;
  // After an extraction BT41 and BT42 stay off while there is no folder to
  // open or delete; a refused one changed nothing.
  if (job_ == Job::Extract) sameButtonsOn_ = end.refused || IsFolder(pictray::fs::DefaultEnv(), samedir);
  if (job_ == Job::Undo) sameButtonsOn_ = ExtractionFolderThere();
  ShowRunState();
  // A question answered while closing says nothing about the user's wish;
  // a close that waited for the run's end goes on now.
  if (end.quit || closing_) close();
}

void TwinscanWindow::StopRunForClosing() {
  closing_ = true;
  host_->SetClosing();
  val_.abort.store(1);
  ui::CloseMessageBoxes(this);
}

void TwinscanWindow::ShowRunState() {
  BT44->setEnabled(running_);
  BT01->setEnabled(!running_);
  BT41->setEnabled(!running_ && sameButtonsOn_);
  BT42->setEnabled(!running_ && sameButtonsOn_);
  clearAction_->setEnabled(!running_);
  undoAction_->setEnabled(!running_ && ExtractionFolderThere());
}

bool TwinscanWindow::ExtractionFolderThere() const { return !samedir.empty() && IsFolder(pictray::fs::DefaultEnv(), samedir); }

int TwinscanWindow::Message(const std::string& text, const std::string& caption1,
                            const std::string& caption2) {
  return ui::MessageBox1Q(this, TextOf(text), TextOf(caption1), TextOf(caption2));
}

void TwinscanWindow::ShowProgress(TwinscanBar bar, int position) {
  (bar == TwinscanBar::PR01 ? PR01 : PR02)->setValue(position);
}

void TwinscanWindow::ShowCount(const std::string& text) {
  kenbuf = text;
  ST01->setText(TextOf(kenbuf));
}

void TwinscanWindow::ShowTable(const std::vector<dupes::FileRec>& lpData) { model_->setTable(lpData); }

void TwinscanWindow::ClearResultLines() { LV02->setRowCount(0); }

void TwinscanWindow::ShowResultLine(std::size_t index, const dupes::SameResultLine& line) {
  const int row = static_cast<int>(index);
  if (row >= LV02->rowCount()) LV02->setRowCount(row + 1);
  const QString texts[5] = {TextOf(line.folda), QString::number(line.count), TextOf(line.firstFile),
                            TextOf(line.path), TextOf(line.mode)};
  for (int c = 0; c < 5; ++c) {
    auto* item = new QTableWidgetItem(texts[c]);
    if (c > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (c == 0) item->setIcon(QFileIconProvider().icon(QFileIconProvider::Folder));
    LV02->setItem(row, c, item);
  }
}

void TwinscanWindow::ExtractNow() {
  if (!BT01->isChecked()) return;
  if (model_->lpData().empty()) return;  // the preference for the next run
  BT01->setChecked(false);
  sameButtonsOn_ = false;
  StartRun(Job::Extract);
}

void TwinscanWindow::DeleteNow() {
  if (!BT42->isChecked()) return;
  if (samedir.empty()) return;  // the preference for the next run
  BT42->setChecked(false);
  StartRun(Job::Delete);
}

void TwinscanWindow::Shellopen(const std::string& program, const std::string& target) {
  const pid_t pid = ui::SpawnOnPath(program, target, {});
  if (pid < 0) {
    const std::string why = std::strerror(errno);
    ui::MessageBox1Q(this,
                     QCoreApplication::translate("Twinscan", "アプリ「%1」を起動できません: %2")
                         .arg(TextOf(program), TextOf(why)),
                     "err", "err");
    return;
  }
  ui::WhenEnded(this, pid, {});
}

void TwinscanWindow::AppFileOpen(const std::string& path) { Shellopen(dupes::ReadFileApp(profile), path); }

void TwinscanWindow::ShowPopup(const QPoint& pos) {
  QMenu menu(this);
  connect(menu.addAction(QCoreApplication::translate("Twinscan", "open")), &QAction::triggered, this,
          [this] { Command(cmd::OpenFiles); });
  menu.exec(LV01->viewport()->mapToGlobal(pos));
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
  p.MoveSoon = BT01->isChecked() ? "1" : "0";
  p.DeleteSoon = BT42->isChecked() ? "1" : "0";
  p.Px = std::to_string(x());
  p.Py = std::to_string(y());
  p.Pw = std::to_string(width());
  p.Ph = std::to_string(height());
  if (!dupes::WriteTwinscanProfile(profile, p))
    ui::MessageBox1Q(this, QCoreApplication::translate("Twinscan", "設定ファイルに書き込めません: %1").arg(TextOf(profile)),
                     "err", "err");
  event->accept();
}

void TwinscanWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!running_ && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TwinscanWindow::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.isEmpty() || !urls.front().isLocalFile()) return;
  event->acceptProposedAction();
  // Run after the drop has ended, so that the dragging program is not held.
  const std::string path = DroppedPath(urls.front());
  QTimer::singleShot(0, this, [this, path] { AutoRun(true, path); });
}

}  // namespace pictray::twinscan
