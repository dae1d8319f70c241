#include "app/twinscan/twinscan_builder.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/common/command_keys.h"
#include "app/common/control_factory.h"
#include "app/twinscan/file_table_model.h"
#include "app/twinscan/folder_list.h"
#include "engine/run/command_ids.h"

namespace pictray::twinscan {
namespace {

// A text marked for translation elsewhere.
QString Tr(const char* text) { return QCoreApplication::translate("Twinscan", text); }

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

void SetUpTable(QTableView* table, const int* widths, int columns) {
  table->setShowGrid(true);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->hide();
  table->verticalHeader()->setDefaultSectionSize(18);
  table->horizontalHeader()->setSectionsMovable(true);
  for (int c = 0; c < columns; ++c) table->setColumnWidth(c, widths[c]);
}

}  // namespace

namespace {

constexpr ui::CommandKey kCommandKeys[] = {
    {cmd::SearchAgain, QKeySequence::Refresh, QKeyCombination(Qt::Key_F5)},
    {cmd::ChooseFolder, QKeySequence::Open, Qt::CTRL | Qt::Key_O},
    {cmd::UndoExtract, QKeySequence::Undo, Qt::CTRL | Qt::Key_Z},
    {cmd::Help, QKeySequence::HelpContents, QKeyCombination(Qt::Key_F1)},
    {cmd::Stop, QKeySequence::UnknownKey, QKeyCombination(Qt::Key_Escape)},
    {cmd::Quit, QKeySequence::Quit, Qt::CTRL | Qt::Key_Q},
};

// The command's keys on its action, and in its tooltip; a disabled action
// (a command a run refuses) takes no key.
void GiveKeys(QAction* action, int id) {
  action->setShortcuts(ui::KeysOf(kCommandKeys, id));
  action->setToolTip(ui::WithKey(kCommandKeys, action->text(), id));
}

void GiveKeys(QPushButton* button, int id) {
  button->setShortcut(ui::KeysOf(kCommandKeys, id).value(0));
  const QString tip = button->toolTip().isEmpty() ? button->text() : button->toolTip();
  ui::MakeToolTip(button, ui::WithKey(kCommandKeys, tip, id));
}

}  // namespace

TwinscanBuilder::TwinscanBuilder(QMainWindow& window, Dispatch command)
    : window_(window), command_(std::move(command)) {}

TwinscanControls TwinscanBuilder::Build() {
  BuildToolbar();
  built_.central = new QWidget(&window_);
  window_.setCentralWidget(built_.central);
  BuildFolderRow();
  BuildLists();
  BuildButtons();
  return built_;
}

void TwinscanBuilder::BuildToolbar() {
  QToolBar* toolbar = window_.addToolBar("toolbar");
  toolbar->setObjectName("2010");
  toolbar->setMovable(false);
  toolbar->setIconSize(QSize(16, 16));
  auto gap = [toolbar](int separators) {
    auto* w = new QWidget(toolbar);
    w->setFixedWidth(8 * separators);
    toolbar->addWidget(w);
  };
  auto tool = [this, toolbar](QStyle::StandardPixmap image, int id, const QString& tip) {
    QAction* a = toolbar->addAction(window_.style()->standardIcon(image), tip);
    QObject::connect(a, &QAction::triggered, &window_, [command = command_, id] { command(id); });
    return a;
  };
  gap(2);
  built_.clearAction = tool(QStyle::SP_FileIcon, cmd::Clear, QCoreApplication::translate("Twinscan", "clear"));
  gap(1);
  built_.undoAction =
      tool(QStyle::SP_ArrowBack, cmd::UndoExtract, QCoreApplication::translate("Twinscan", "抽出を元に戻す"));
  GiveKeys(built_.undoAction, cmd::UndoExtract);
  gap(2);
  QCheckBox* similar = built_.similarBox =
      ui::MakeCheckBoxWnd(toolbar, cmd::SimilarToo, QCoreApplication::translate("Twinscan", "似た画像も探す"));
  similar->setAccessibleName(similar->text());
  ui::MakeToolTip(similar, QCoreApplication::translate("Twinscan",
                                                       "同じバイトのコピーのほかに、大きさや形式の違う同じ画像も探します"));
  QObject::connect(similar, &QCheckBox::clicked, &window_, [command = command_] { command(cmd::SimilarToo); });
  toolbar->addWidget(similar);
  gap(2);
  QCheckBox* sub = built_.subfoldersBox =
      ui::MakeCheckBoxWnd(toolbar, cmd::Subfolders, QCoreApplication::translate("Twinscan", "サブフォルダも探す"));
  sub->setAccessibleName(sub->text());
  ui::MakeToolTip(sub, QCoreApplication::translate("Twinscan",
                                                   "フォルダの中のフォルダも探します（隠しフォルダ、抽出フォルダ"
                                                   "、リンクしたフォルダには入りません）"));
  QObject::connect(sub, &QCheckBox::clicked, &window_, [command = command_] { command(cmd::Subfolders); });
  toolbar->addWidget(sub);
  gap(7);
  tool(QStyle::SP_FileDialogDetailedView, cmd::Properties, QCoreApplication::translate("Twinscan", "properties"));
  GiveKeys(tool(QStyle::SP_MessageBoxQuestion, cmd::Help, QCoreApplication::translate("Twinscan", "help")), cmd::Help);
  gap(2);
}

void TwinscanBuilder::BuildFolderRow() {
  QWidget* row = built_.folderRow = new QWidget(built_.central);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  const Dispatch command = command_;
  const auto connectButton = [this, command](QPushButton* b) {
    const int id = ui::ControlId(b);
    GiveKeys(b, id);
    QObject::connect(b, &QPushButton::clicked, &window_, [command, id] { command(id); });
  };
  const struct {
    FolderList** list;
    const char* label;
    const char* empty;
    const char* tip;
    int add, remove;
    const char* addTip;
  } lists[] = {
      {&built_.folderList, QT_TRANSLATE_NOOP("Twinscan", "フォルダ"),
       QT_TRANSLATE_NOOP("Twinscan", "探すフォルダをドロップするか「＋」で加えます"),
       QT_TRANSLATE_NOOP("Twinscan", "探すフォルダ（Enter: すべて探す、F2: 書き換える、Delete: 一覧から外す）"),
       cmd::ChooseFolder, cmd::RemoveFolder, QT_TRANSLATE_NOOP("Twinscan", "探すフォルダを選んで加えます")},
      {&built_.referenceList, QT_TRANSLATE_NOOP("Twinscan", "参照フォルダ"),
       QT_TRANSLATE_NOOP("Twinscan", "なし（ドロップするか「＋」で加えます）"),
       QT_TRANSLATE_NOOP("Twinscan",
                         "参照フォルダ: ここにあるファイルは動かさず、同じファイルのグループでは必ず残します。"
                         "参照フォルダのファイルどうしのグループは表示しません"),
       cmd::AddReference, cmd::RemoveReference, QT_TRANSLATE_NOOP("Twinscan", "参照フォルダを選んで加えます")},
  };
  for (const auto& l : lists) {
    auto* label = new QLabel(Tr(l.label), row);
    label->setMinimumWidth(label->sizeHint().width());  // the lists give way, never the words
    FolderList::Keys keys{[command] { command(cmd::SearchAgain); }, [command, id = l.remove] { command(id); },
                          [command] { command(cmd::FoldersEdited); }};
    FolderList* list = *l.list = new FolderList(row, Tr(l.empty), std::move(keys));
    list->setAccessibleName(Tr(l.label));
    ui::MakeToolTip(list, Tr(l.tip));
    label->setBuddy(list);
    // "+" and "-" as list editors have them, one over the other beside the list.
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(0);
    QPushButton* add = ui::MakeTextButtonWnd(row, l.add, "+");
    add->setAccessibleName(QCoreApplication::translate("Twinscan", "追加…"));
    ui::MakeToolTip(add, Tr(l.addTip));
    QPushButton* remove = ui::MakeTextButtonWnd(row, l.remove, QString(QChar(0x2212)));
    remove->setAccessibleName(QCoreApplication::translate("Twinscan", "外す"));
    ui::MakeToolTip(remove, QCoreApplication::translate(
                                "Twinscan", "選んだフォルダを一覧から外します。フォルダそのものはそのままです (Delete)"));
    for (QPushButton* b : {add, remove}) {
      b->setFixedSize(28, list->height() / 2);
      connectButton(b);
      buttons->addWidget(b);
      built_.folderButtons.push_back(b);
    }
    layout->addWidget(label);
    layout->addWidget(list, 1);
    layout->addLayout(buttons);
    layout->addSpacing(8);
  }
  built_.searchButton = ui::MakeTextButtonWnd(row, cmd::SearchAgain, QCoreApplication::translate("Twinscan", "探す"));
  built_.searchButton->setAccessibleName(built_.searchButton->text());
  built_.searchButton->setMinimumWidth(built_.searchButton->sizeHint().width() + 16);
  ui::MakeToolTip(built_.searchButton, QCoreApplication::translate("Twinscan", "一覧のフォルダをすべて探します"));
  connectButton(built_.searchButton);
  layout->addWidget(built_.searchButton, 0, Qt::AlignTop);
}

void TwinscanBuilder::BuildLists() {
  built_.tabs = new QTabWidget(built_.central);
  built_.tabs->setAccessibleName(QCoreApplication::translate("Twinscan", "一覧と確認"));
  auto* page = new QSplitter(Qt::Vertical);
  page->setChildrenCollapsible(false);
  built_.tabs->addTab(page, QCoreApplication::translate("Twinscan", "ファイル一覧"));
  built_.model = new FileTableModel(&window_);
  QTableView* LV01 = built_.LV01 = new QTableView(page);
  LV01->setObjectName("2000");
  LV01->setModel(built_.model);
  const int widths[dupes::kColumns] = {100, 300, 100, 300, 100, 100, 100, 100};
  SetUpTable(LV01, widths, dupes::kColumns);
  LV01->setSelectionMode(QAbstractItemView::ExtendedSelection);
  LV01->horizontalHeader()->setSectionsClickable(true);
  LV01->setContextMenuPolicy(Qt::CustomContextMenu);

  QTableWidget* LV02 = built_.LV02 = new QTableWidget(0, 5, page);
  LV02->setObjectName("2001");
  LV02->setHorizontalHeaderLabels(
      {QCoreApplication::translate("Twinscan", "フォルダ名"), QCoreApplication::translate("Twinscan", "件数"),
       QCoreApplication::translate("Twinscan", "1件目ファイル"), QCoreApplication::translate("Twinscan", "path"),
       QCoreApplication::translate("Twinscan", "mode")});
  const int widths2[5] = {100, 50, 100, 100, 100};
  SetUpTable(LV02, widths2, 5);
  for (int c = 0; c < 5; ++c)
    LV02->horizontalHeaderItem(c)->setTextAlignment(Qt::AlignVCenter | (c > 0 ? Qt::AlignRight : Qt::AlignLeft));
  page->addWidget(LV01);
  page->addWidget(LV02);
  page->setStretchFactor(0, 2);
  page->setStretchFactor(1, 1);
}

void TwinscanBuilder::BuildButtons() {
  QWidget* central = built_.central;
  const QFont font = ui::MinchoFont(12);
  QLabel* ST01 = built_.ST01 = ui::Make_StaticWindow(central, 2005);
  // Top-left and opaque like a plain static text.
  ST01->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  ST01->setAutoFillBackground(true);
  ST01->setFont(font);
  built_.PR01 = ui::Make_progressbar(central, 2008, Qt::blue);
  built_.PR02 = ui::Make_progressbar(central, 2009, Qt::red);
  for (QProgressBar* bar : {built_.PR01, built_.PR02}) bar->setRange(0, 100);

  built_.BT01 =
      ui::MakeCheckButtonWnd(central, cmd::Extract, QCoreApplication::translate("Twinscan", "同ファイル抽出"));
  built_.BT41 =
      ui::MakeTextButtonWnd(central, cmd::OpenSame, QCoreApplication::translate("Twinscan", "確認[app_open]"));
  built_.BT42 =
      ui::MakeCheckButtonWnd(central, cmd::Delete, QCoreApplication::translate("Twinscan", "抽出ファイル削除"));
  built_.BT43 = ui::MakeTextButtonWnd(central, cmd::Quit, QCoreApplication::translate("Twinscan", "終了"));
  built_.BT44 = ui::MakeTextButtonWnd(central, cmd::Stop, QCoreApplication::translate("Twinscan", "中止"));
  ui::MakeToolTip(built_.BT44, QCoreApplication::translate("Twinscan", "処理を次のファイルの前で止めます"));
  GiveKeys(built_.BT43, cmd::Quit);
  GiveKeys(built_.BT44, cmd::Stop);
  MarkToggle(built_.BT01, QCoreApplication::translate(
                              "Twinscan",
                              "オンのとき: フォルダを渡して起動する（またはドロップする）と、確認なしですぐに"
                              "同ファイルを抽出します。オンのまま終了すると次回の起動でもそうします"));
  MarkToggle(built_.BT42,
             QCoreApplication::translate("Twinscan",
                                         "オンのとき: 抽出のあと、確認なしで抽出フォルダをごみ箱へ移します。"
                                         "オンのまま終了すると次回の起動でもそうします"));
  for (QPushButton* b : {built_.BT01, built_.BT41, built_.BT42, built_.BT43, built_.BT44}) {
    b->setFont(font);
    const int id = ui::ControlId(b);
    QObject::connect(b, &QPushButton::clicked, &window_, [command = command_, id] { command(id); });
  }
}

void PlaceControls(const TwinscanControls& c, int toolbarHeight, int W, int H) {
  const int tb = toolbarHeight;
  auto place = [tb](QWidget* w, int x, int y, int cx, int cy) {
    w->setGeometry(x, y - tb, std::max(cx, 0), std::max(cy, 0));
  };
  // A toolbar taller than the 26 pixels the layout allows for pushes the lists down.
  const int top = std::max(30, tb + 4);
  const int folderHeight = c.folderRow->sizeHint().height();
  place(c.folderRow, 30, top, W - 60, folderHeight);
  // The lists end above the count's line, so their scroll bars are never
  // covered by the count or the stop control.
  const int listsTop = top + folderHeight + 4;
  place(c.tabs, 30, listsTop, W - 60, (H - 150) - listsTop - 4);
  // The stop control shares the count's line, on the buttons' column.
  place(c.ST01, 30, H - 150, W - 160, 25);
  place(c.BT44, W - 130, H - 150, 100, 25);
  c.PR01->setFixedSize(std::max(W - 60, 0), 10);
  c.PR02->setFixedSize(std::max(W - 60, 0), 10);
  place(c.PR01, 30, H - 120, W - 60, 10);
  place(c.PR02, 30, H - 110, W - 60, 10);
  place(c.BT01, 30, H - 100, W - 160, 40);
  place(c.BT42, 30, H - 60, W - 160, 40);
  place(c.BT41, W - 130, H - 100, 100, 40);
  place(c.BT43, W - 130, H - 60, 100, 40);
}

}  // namespace pictray::twinscan
