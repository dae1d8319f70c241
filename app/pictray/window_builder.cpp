#include "app/pictray/window_builder.h"

#include <QAction>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/common/control_factory.h"
#include "app/common/text_bytes.h"
#include "app/pictray/list_models.h"

namespace pictray::app {

using ui::GlyphIcon;

// The connections outlive the builder: each keeps its own copy of the
// dispatch, with the window as the context that ends them.
WindowBuilder::WindowBuilder(QMainWindow& window, Dispatch command)
    : window_(window), command_(std::move(command)) {}

WindowControls WindowBuilder::Build(const FileList& rows, const PreReadButton& preRead) {
  built_ = {};
  BuildMenu();
  BuildStatusBar();
  BuildBands(preRead);
  BuildPanes(rows);
  return built_;
}

void WindowBuilder::BuildMenu() {
  QMenuBar* bar = window_.menuBar();
  auto item = [this](QMenu* menu, const QString& text, int id) {
    QAction* action = menu->addAction(text);
    QObject::connect(action, &QAction::triggered, &window_, [command = command_, id] { command(id); });
    return action;
  };
  QMenu* list = bar->addMenu("リスト（&L）");
  item(list, "開く（&O）", cmd::MenuOpen);
  item(list, "クリア（&C）", cmd::MenuClear);
  item(list, "検索（&S）", cmd::MenuSearch);
  item(list, "移動を元に戻す", cmd::MenuUndoMove);
  list->addSeparator();
  item(list, "終了（&X）", cmd::MenuExit);
  QMenu* size = bar->addMenu("サイズ（&S）");
  built_.menu5101 = item(size, "4X4", cmd::Grid4);
  built_.menu5102 = item(size, "8X8", cmd::Grid8);
  QMenu* settings = bar->addMenu("設定（&E）");
  item(settings, "解析", cmd::MenuAnalysisSettings);
  item(settings, "表示", cmd::MenuDisplaySettings);
  item(settings, "プロパティ", cmd::MenuProperties);
  item(settings, "ヘルプ", cmd::MenuHelp);
}

void WindowBuilder::BuildStatusBar() {
  auto* part0 = new QWidget(&window_);
  part0->setFixedWidth(300);
  QProgressBar* PR01 = ui::Make_progressbar(part0, 1018, QColor(0, 170, 0));
  QProgressBar* PR02 = ui::Make_progressbar(part0, 1030, QColor(0, 200, 220));
  PR01->setObjectName("PR01");
  PR02->setObjectName("PR02");
  PR01->move(0, 5);
  PR02->move(150, 5);
  QLabel** parts = built_.statusParts;
  parts[0] = new QLabel(part0);
  parts[0]->hide();
  parts[1] = new QLabel(&window_);
  parts[2] = new QLabel(&window_);
  parts[1]->setObjectName("status1");
  parts[2]->setObjectName("status2");
  parts[2]->setFixedWidth(100);
  window_.statusBar()->addWidget(part0);
  window_.statusBar()->addWidget(parts[1], 1);
  window_.statusBar()->addWidget(parts[2]);
  built_.PR01 = PR01;
  built_.PR02 = PR02;
  built_.controls[Control::PR01] = PR01;
  built_.controls[Control::PR02] = PR02;
}

QToolBar* WindowBuilder::Band(const QString& label) {
  QToolBar* bar = window_.addToolBar(label.isEmpty() ? QString("band") : label);
  bar->setMovable(false);
  bar->setIconSize(QSize(32, 32));
  if (!label.isEmpty()) {
    auto* l = new QLabel(label + " ", bar);
    l->setFont(ui::MinchoFont(12));
    bar->addWidget(l);
  }
  return bar;
}

void WindowBuilder::Add(QToolBar* bar, QWidget* w, std::optional<Control> c, const char* name, const char* tip,
                        int id) {
  w->setObjectName(name);
  if (tip) ui::MakeToolTip(w, QString::fromUtf8(tip));
  bar->addWidget(w);
  if (c) built_.controls[*c] = w;
  if (auto* b = qobject_cast<QPushButton*>(w))
    QObject::connect(b, &QPushButton::clicked, &window_, [command = command_, id] { command(id); });
}

void WindowBuilder::BuildBands(const PreReadButton& preRead) {
  BuildRunBand(preRead);
  BuildFolderBand();
  window_.addToolBarBreak();
  BuildNameBand();
  BuildJpegBand();
  QToolBar* last = Band("");
  auto* ST06 = ui::Make_StaticWindow(last, 1036);
  ST06->setObjectName("ST06");
  last->addWidget(ST06);
  // Nothing to move before a list has targets.
  built_.controls[Control::BT01]->setEnabled(false);
}

void WindowBuilder::BuildRunBand(const PreReadButton& preRead) {
  QToolBar* b = Band("");
  Add(b, ui::MakeICONCheckButtonWnd(b, cmd::ListUp, GlyphIcon("LIST", QColor(30, 140, 60))), Control::BT02,
      "BT02", "リストアップ", cmd::ListUp);
  Add(b, ui::MakeICONButtonWnd(b, cmd::ClearList, GlyphIcon("CLR", QColor(150, 150, 150))), Control::BT03,
      "BT03", "リストクリア", cmd::ClearList);
  Add(b, ui::MakeICONButtonWnd(b, cmd::ClearAnalyses, GlyphIcon("解✕", QColor(230, 160, 40))), Control::BT10,
      "BT10", "解析クリア", cmd::ClearAnalyses);
  Add(b, ui::MakeBMButtonWnd(b, cmd::Abort, GlyphIcon("■", QColor(200, 40, 40))), Control::BT09, "BT09", "中断",
      cmd::Abort);
  Add(b, ui::MakeICONButtonWnd(b, cmd::MoveStart, GlyphIcon("移動", QColor(40, 90, 200))), Control::BT01, "BT01",
      "移動スタート", cmd::MoveStart);
  QGroupBox* GR01 = ui::MakeGroupBoxWindow(b, 1050);
  GR01->setTitle("読込み前処理");
  GR01->setFont(ui::MinchoFont(11));
  GR01->setObjectName("GR01");
  auto* grLayout = new QHBoxLayout(GR01);
  grLayout->setContentsMargins(6, 2, 6, 2);
  const QString zenApp = ui::TextOf(preRead.ZenApp);
  QPushButton* BT101 = ui::MakeICONCheckButtonWnd2(GR01, cmd::PreReadNow, zenApp, ui::TextOf(preRead.programDir),
                                                   window_.windowIcon());
  BT101->setObjectName("BT101");
  BT101->setToolTip(zenApp);
  grLayout->addWidget(BT101);
  BT101->setChecked(preRead.ZenAppOn);
  QObject::connect(BT101, &QPushButton::clicked, &window_, [command = command_] { command(cmd::PreReadNow); });
  built_.BT101 = BT101;
  built_.controls[Control::BT101] = BT101;
  b->addWidget(GR01);
}

void WindowBuilder::BuildFolderBand() {
  QToolBar* b = Band("FOLDA");
  auto* ST04 = ui::Make_StaticWindow(b, 1026);
  ST04->setObjectName("ST04");
  b->addWidget(ST04);
  QLineEdit* ED01 = ui::Make_EditWindow(b, 1005);
  ED01->setFixedWidth(600);
  Add(b, ED01, Control::ED01, "ED01", nullptr, 1005);
  built_.ED01 = ED01;
}

void WindowBuilder::BuildNameBand() {
  QToolBar* b = Band("NAME");
  QLineEdit* CB01 = ui::Make_EditWindow(b, 1019);
  CB01->setFont(ui::MinchoFont(14));
  CB01->setFixedWidth(300);
  Add(b, CB01, Control::CB01, "CB01", nullptr, 1019);
  QObject::connect(CB01, &QLineEdit::returnPressed, &window_, [command = command_] { command(cmd::Search); });
  built_.CB01 = CB01;
  auto* BT041 = ui::MakeICONButtonWnd(b, cmd::Search, GlyphIcon("検", QColor(90, 90, 160), 16), 16);
  Add(b, BT041, std::nullopt, "BT041", "検索", cmd::Search);
  Add(b, ui::MakeBMButtonWnd(b, cmd::CharClass, GlyphIcon("文字", QColor(120, 80, 180))), Control::BT04, "BT04",
      "キャラクタ", cmd::CharClass);
  Add(b, ui::MakeBMButtonWnd(b, cmd::PhraseClass, GlyphIcon("定型", QColor(120, 80, 180))), Control::BT05,
      "BT05", "定型句", cmd::PhraseClass);
  Add(b, ui::MakeBMButtonWnd(b, cmd::ExtClass, GlyphIcon(".ext", QColor(120, 80, 180))), Control::BT06, "BT06",
      "拡張子", cmd::ExtClass);
}

void WindowBuilder::BuildJpegBand() {
  QToolBar* b = Band("JPEG");
  const struct {
    Control c;
    const char* name;
    const char* glyph;
    QColor colour;
    const char* tip;
    int id;
  } jpeg[] = {
      {Control::BT07, "BT07", "Exif", QColor(0, 120, 140), "Exif", cmd::Exif},
      {Control::BT08, "BT08", "Info", QColor(0, 120, 140), "Info", cmd::Info},
      {Control::BT11, "BT11", "Hdr", QColor(0, 120, 140), "Info + Exifヘッダーチェック", cmd::HeaderCheck},
      {Control::BT12, "BT12", "RGB", QColor(200, 60, 60), "RGB解析", cmd::RgbAnalysis},
      {Control::BT13, "BT13", "W×H", QColor(0, 120, 140), "サイズ解析", cmd::SizeAnalysis},
      {Control::BT14, "BT14", "NG", QColor(170, 30, 30), "NG解析", cmd::NgAnalysis},
      {Control::BT15, "BT15", "RGB%", QColor(60, 150, 60), "RGB比率分類", cmd::RgbRatio},
      {Control::BT16, "BT16", "R>G", QColor(60, 60, 190), "RGB成分強度分類", cmd::RgbStrength},
  };
  for (const auto& j : jpeg)
    Add(b, ui::MakeBmCheck32ButtonWnd(b, j.id, GlyphIcon(j.glyph, j.colour)), j.c, j.name, j.tip, j.id);
}

void WindowBuilder::BuildPanes(const FileList& rows) {
  auto* splitter = new QSplitter(Qt::Vertical, &window_);
  splitter->setObjectName("panes");
  auto* child1 = new QWidget(splitter);
  child1->setObjectName("child1");
  auto* l1 = new QVBoxLayout(child1);
  l1->setContentsMargins(0, 0, 0, 0);
  QTableView* LV01 = new QTableView(child1);
  LV01->setObjectName("LV01");
  built_.fileListModel = new FileListModel(rows, &window_);
  LV01->setModel(built_.fileListModel);
  LV01->setSelectionBehavior(QAbstractItemView::SelectRows);
  LV01->setSelectionMode(QAbstractItemView::ExtendedSelection);
  LV01->setEditTriggers(QAbstractItemView::NoEditTriggers);
  LV01->verticalHeader()->setDefaultSectionSize(18);
  LV01->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  LV01->verticalHeader()->hide();
  LV01->setWordWrap(false);
  LV01->setShowGrid(false);
  LV01->horizontalHeader()->setSectionsClickable(true);
  LV01->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  const int widths[] = {300, 300, 300, 30};
  for (int c = 0; c < 4; ++c) LV01->setColumnWidth(c, widths[c]);
  l1->addWidget(LV01);
  built_.LV01 = LV01;
  built_.controls[Control::LV01] = LV01;

  auto* child2 = new QWidget(splitter);
  child2->setObjectName("child2");
  auto* l2 = new QHBoxLayout(child2);
  l2->setContentsMargins(0, 0, 0, 0);
  QTreeWidget* LV02 = new QTreeWidget(child2);
  LV02->setObjectName("LV02");
  LV02->setRootIsDecorated(false);
  LV02->setHeaderLabels({"フォルダ名", "件数", "1件目ファイル", "パス", "mode"});
  const int w2[] = {100, 50, 100, 100, 100};
  for (int c = 0; c < 5; ++c) LV02->setColumnWidth(c, w2[c]);
  QTreeWidget* LV03 = new QTreeWidget(child2);
  LV03->setObjectName("LV03");
  LV03->setRootIsDecorated(false);
  LV03->setHeaderLabels({"　　　　分類", "件数　　　"});
  LV03->setColumnWidth(0, 100);
  LV03->setColumnWidth(1, 100);
  LV03->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
  LV03->header()->setSectionsMovable(true);
  l2->addWidget(LV02, 3);
  l2->addWidget(LV03, 1);
  l2->addStretch(2);
  built_.LV02 = LV02;
  built_.LV03 = LV03;
  built_.controls[Control::LV02] = LV02;
  built_.controls[Control::LV03] = LV03;
  splitter->addWidget(child1);
  splitter->addWidget(child2);
  // The file list takes a quarter of the height, the result pane the rest.
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 3);
  splitter->setSizes({250, 750});
  window_.setCentralWidget(splitter);
}

}  // namespace pictray::app
