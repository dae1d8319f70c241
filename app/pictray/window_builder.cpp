#include "app/pictray/window_builder.h"

#include <QAction>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
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

#include "app/common/command_keys.h"
#include "app/common/control_factory.h"
#include "app/common/text_bytes.h"
#include "app/pictray/file_list_pane.h"
#include "app/pictray/help_texts.h"
#include "app/pictray/list_models.h"
#include "app/pictray/result_pane.h"

namespace pictray::app {

using ui::GlyphIcon;

namespace {

constexpr ui::CommandKey kCommandKeys[] = {
    {cmd::MenuOpen, QKeySequence::Open, Qt::CTRL | Qt::Key_O},
    {cmd::MenuListUp, QKeySequence::Refresh, QKeyCombination(Qt::Key_F5)},
    {cmd::MenuUndoMove, QKeySequence::Undo, Qt::CTRL | Qt::Key_Z},
    {cmd::Abort, QKeySequence::UnknownKey, QKeyCombination(Qt::Key_Escape)},
    {cmd::MenuExit, QKeySequence::Quit, Qt::CTRL | Qt::Key_Q},
    {cmd::MenuHelp, QKeySequence::HelpContents, QKeyCombination(Qt::Key_F1)},
};

QList<QKeySequence> KeysOf(int id) { return ui::KeysOf(kCommandKeys, id); }

}  // namespace

QKeySequence WindowBuilder::KeyOf(int id) { return KeysOf(id).value(0); }

QString WindowBuilder::WithKey(const QString& tip, int id) { return ui::WithKey(kCommandKeys, tip, id); }

// The connections outlive the builder: each keeps its own copy of the
// dispatch, with the window as the context that ends them.
WindowBuilder::WindowBuilder(QMainWindow& window, Dispatch command)
    : window_(window), command_(std::move(command)) {}

WindowControls WindowBuilder::Build(FileList& rows, const PreReadButton& preRead, PaneLinks links) {
  built_ = {};
  if (!links.command) links.command = [command = command_](int id, int) { command(id); };
  BuildMenu();
  BuildStatusBar();
  BuildBands(preRead);
  BuildPanes(rows, std::move(links));
  return built_;
}

void WindowBuilder::BuildMenu() {
  QMenuBar* bar = window_.menuBar();
  auto item = [this](QMenu* menu, const QString& text, int id) {
    QAction* action = menu->addAction(text);
    QObject::connect(action, &QAction::triggered, &window_, [command = command_, id] { command(id); });
    if (const QList<QKeySequence> keys = KeysOf(id); !keys.isEmpty()) {
      action->setShortcuts(keys);
      built_.keyed[id] = action;
    }
    return action;
  };
  QMenu* list = bar->addMenu(QCoreApplication::translate("Pictray", "リスト（&L）"));
  item(list, QCoreApplication::translate("Pictray", "開く（&O）"), cmd::MenuOpen);
  item(list, QCoreApplication::translate("Pictray", "リストアップ（&U）"), cmd::MenuListUp);
  item(list, QCoreApplication::translate("Pictray", "クリア（&C）"), cmd::MenuClear);
  item(list, QCoreApplication::translate("Pictray", "検索（&S）"), cmd::MenuSearch);
  item(list, QCoreApplication::translate("Pictray", "中断（&T）"), cmd::Abort);
  item(list, QCoreApplication::translate("Pictray", "移動を元に戻す"), cmd::MenuUndoMove);
  list->addSeparator();
  item(list, QCoreApplication::translate("Pictray", "終了（&X）"), cmd::MenuExit);
  QMenu* size = bar->addMenu(QCoreApplication::translate("Pictray", "サイズ（&S）"));
  built_.menu5101 = item(size, "4X4", cmd::Grid4);
  built_.menu5102 = item(size, "8X8", cmd::Grid8);
  QMenu* settings = bar->addMenu(QCoreApplication::translate("Pictray", "設定（&E）"));
  item(settings, QCoreApplication::translate("Pictray", "解析"), cmd::MenuAnalysisSettings);
  item(settings, QCoreApplication::translate("Pictray", "表示"), cmd::MenuDisplaySettings);
  item(settings, QCoreApplication::translate("Pictray", "プロパティ"), cmd::MenuProperties);
  item(settings, QCoreApplication::translate("Pictray", "ヘルプ"), cmd::MenuHelp);
}

void WindowBuilder::BuildStatusBar() {
  auto* part0 = new QWidget(&window_);
  auto* bars = new QHBoxLayout(part0);
  bars->setContentsMargins(2, 0, 2, 0);
  bars->setSpacing(4);
  QProgressBar* PR01 = ui::Make_progressbar(part0, 1018, QColor(0, 170, 0));
  QProgressBar* PR02 = ui::Make_progressbar(part0, 1030, QColor(0, 200, 220));
  PR01->setObjectName("PR01");
  PR02->setObjectName("PR02");
  // Each bar under a caption in its own colour: the files of the run, and
  // the work inside one file (or the second worker of a run).
  const struct {
    QProgressBar* bar;
    const char* caption;
    const char* tip;
    const char* colour;
  } captioned[] = {
      {PR01, QT_TRANSLATE_NOOP("Pictray", "全体"), QT_TRANSLATE_NOOP("Pictray", "進行状況: 全ファイル"), "#008c00"},
      {PR02, QT_TRANSLATE_NOOP("Pictray", "詳細"),
       QT_TRANSLATE_NOOP("Pictray", "進行状況: ファイル内の処理・2つ目の処理"), "#0090a0"}};
  for (const auto& c : captioned) {
    auto* caption = new QLabel(QCoreApplication::translate("Pictray", c.caption), part0);
    caption->setStyleSheet(QString("color: %1;").arg(c.colour));
    const QString tip = QCoreApplication::translate("Pictray", c.tip);
    caption->setToolTip(tip);
    c.bar->setToolTip(tip);
    c.bar->setFixedSize(120, 10);
    bars->addWidget(caption);
    bars->addWidget(c.bar);
  }
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
  if (tip) {
    const QString text = QCoreApplication::translate("Pictray", tip);
    ui::MakeToolTip(w, WithKey(text, id));
    w->setAccessibleName(text);
  }
  bar->addWidget(w);
  if (c) built_.controls[*c] = w;
  if (auto* b = qobject_cast<QPushButton*>(w)) {
    QObject::connect(b, &QPushButton::clicked, &window_, [command = command_, id] { command(id); });
    if (c) built_.buttons[id] = *c;
  }
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
  Add(b, ui::MakeICONCheckButtonWnd(b, cmd::ListUp, GlyphIcon("LIST", QColor(30, 140, 60))), Control::BT02, "BT02",
      QT_TRANSLATE_NOOP("Pictray", "リストアップ"), cmd::ListUp);
  // The toggle's key is the menu's list-up, which turns it on.
  ui::MakeToolTip(built_.controls[Control::BT02],
                  WithKey(built_.controls[Control::BT02]->accessibleName(), cmd::MenuListUp));
  Add(b, ui::MakeICONButtonWnd(b, cmd::ClearList, GlyphIcon("CLR", QColor(150, 150, 150))), Control::BT03, "BT03",
      QT_TRANSLATE_NOOP("Pictray", "リストクリア"), cmd::ClearList);
  Add(b,
      ui::MakeICONButtonWnd(
          b, cmd::ClearAnalyses,
          GlyphIcon(QCoreApplication::translate("Pictray", "解✕", "icon letters"), QColor(230, 160, 40))),
      Control::BT10, "BT10", QT_TRANSLATE_NOOP("Pictray", "解析クリア"), cmd::ClearAnalyses);
  Add(b, ui::MakeBMButtonWnd(b, cmd::Abort, GlyphIcon("■", QColor(200, 40, 40))), Control::BT09, "BT09",
      QT_TRANSLATE_NOOP("Pictray", "中断"), cmd::Abort);
  Add(b,
      ui::MakeICONButtonWnd(
          b, cmd::MoveStart,
          GlyphIcon(QCoreApplication::translate("Pictray", "移動", "icon letters"), QColor(40, 90, 200))),
      Control::BT01, "BT01", QT_TRANSLATE_NOOP("Pictray", "移動スタート"), cmd::MoveStart);
  QGroupBox* GR01 = ui::MakeGroupBoxWindow(b, 1050);
  GR01->setTitle(QCoreApplication::translate("Pictray", "読込み前処理"));
  GR01->setFont(ui::MinchoFont(11));
  GR01->setObjectName("GR01");
  auto* grLayout = new QHBoxLayout(GR01);
  grLayout->setContentsMargins(6, 2, 6, 2);
  const QString zenApp = ui::TextOf(preRead.ZenApp);
  QPushButton* BT101 = ui::MakeICONCheckButtonWnd2(GR01, cmd::PreReadNow, zenApp, ui::TextOf(preRead.programDir),
                                                   window_.windowIcon());
  BT101->setObjectName("BT101");
  BT101->setToolTip(zenApp);
  BT101->setAccessibleName(GR01->title());
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
  // The field takes the band's width, so that it never goes into the
  // band's overflow on a narrow window.
  ED01->setMinimumWidth(260);
  ED01->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  Add(b, ED01, Control::ED01, "ED01", nullptr, 1005);
  ED01->setAccessibleName(QCoreApplication::translate("Pictray", "リストするフォルダ"));
  ED01->setToolTip(QCoreApplication::translate("Pictray", "リストするフォルダ（Enter: リストアップ、%1: 選択）")
                       .arg(KeyOf(cmd::MenuOpen).toString(QKeySequence::NativeText)));
  QObject::connect(ED01, &QLineEdit::returnPressed, &window_, [command = command_] { command(cmd::MenuListUp); });
  built_.ED01 = ED01;
}

void WindowBuilder::BuildNameBand() {
  QToolBar* b = Band("NAME");
  QLineEdit* CB01 = ui::Make_EditWindow(b, 1019);
  CB01->setFont(ui::MinchoFont(14));
  CB01->setMinimumWidth(160);
  CB01->setMaximumWidth(300);
  Add(b, CB01, Control::CB01, "CB01", nullptr, 1019);
  QStringList help;
  for (const char* line : kPatternHelp) help << QCoreApplication::translate("Pictray", line);
  CB01->setToolTip(help.join('\n'));
  CB01->setAccessibleName(QCoreApplication::translate("Pictray", "ファイル名の検索"));
  QObject::connect(CB01, &QLineEdit::returnPressed, &window_, [command = command_] { command(cmd::Search); });
  built_.CB01 = CB01;
  auto* BT041 = ui::MakeICONButtonWnd(
      b, cmd::Search, GlyphIcon(QCoreApplication::translate("Pictray", "検", "icon letters"), QColor(90, 90, 160), 16),
      16);
  Add(b, BT041, std::nullopt, "BT041", QT_TRANSLATE_NOOP("Pictray", "検索"), cmd::Search);
  Add(b,
      ui::MakeBMButtonWnd(
          b, cmd::CharClass,
          GlyphIcon(QCoreApplication::translate("Pictray", "文字", "icon letters"), QColor(120, 80, 180))),
      Control::BT04, "BT04", QT_TRANSLATE_NOOP("Pictray", "キャラクタ"), cmd::CharClass);
  Add(b,
      ui::MakeBMButtonWnd(
          b, cmd::PhraseClass,
          GlyphIcon(QCoreApplication::translate("Pictray", "定型", "icon letters"), QColor(120, 80, 180))),
      Control::BT05, "BT05", QT_TRANSLATE_NOOP("Pictray", "定型句"), cmd::PhraseClass);
  Add(b, ui::MakeBMButtonWnd(b, cmd::ExtClass, GlyphIcon(".ext", QColor(120, 80, 180))), Control::BT06, "BT06",
      QT_TRANSLATE_NOOP("Pictray", "拡張子"), cmd::ExtClass);
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
      {Control::BT11, "BT11", "Hdr", QColor(0, 120, 140), QT_TRANSLATE_NOOP("Pictray", "Info + Exifヘッダーチェック"),
       cmd::HeaderCheck},
      {Control::BT12, "BT12", "RGB", QColor(200, 60, 60), QT_TRANSLATE_NOOP("Pictray", "RGB解析"), cmd::RgbAnalysis},
      {Control::BT13, "BT13", "W×H", QColor(0, 120, 140), QT_TRANSLATE_NOOP("Pictray", "サイズ解析"),
       cmd::SizeAnalysis},
      {Control::BT14, "BT14", "NG", QColor(170, 30, 30), QT_TRANSLATE_NOOP("Pictray", "NG解析"), cmd::NgAnalysis},
      {Control::BT15, "BT15", "RGB%", QColor(60, 150, 60), QT_TRANSLATE_NOOP("Pictray", "RGB比率分類"), cmd::RgbRatio},
      {Control::BT16, "BT16", "R>G", QColor(60, 60, 190), QT_TRANSLATE_NOOP("Pictray", "RGB成分強度分類"),
       cmd::RgbStrength},
      {Control::BT17, "BT17", "Sharp", QColor(90, 90, 90), QT_TRANSLATE_NOOP("Pictray", "鮮鋭度分類"), cmd::Sharpness},
  };
  for (const auto& j : jpeg)
    Add(b, ui::MakeBmCheck32ButtonWnd(b, j.id, GlyphIcon(j.glyph, j.colour)), j.c, j.name, j.tip, j.id);
}

void WindowBuilder::BuildPanes(FileList& rows, PaneLinks links) {
  auto* splitter = new QSplitter(Qt::Vertical, &window_);
  splitter->setObjectName("panes");
  splitter->setChildrenCollapsible(false);
  built_.fileListModel = new FileListModel(rows, &window_);
  auto* child1 = new FileListPane(rows, built_.fileListModel, links, splitter);
  auto* child2 = new ResultPane(std::move(links), splitter);
  built_.fileListModel->SetBlackBack(child2->blackBack());
  QObject::connect(child2, &ResultPane::blackBackChanged, built_.fileListModel, &FileListModel::SetBlackBack);
  built_.child1 = child1;
  built_.child2 = child2;
  built_.LV01 = child1->view();
  built_.LV02 = child2->LV02;
  built_.LV03 = child2->LV03;
  built_.controls[Control::LV01] = built_.LV01;
  built_.controls[Control::LV02] = built_.LV02;
  built_.controls[Control::LV03] = built_.LV03;
  built_.controls[Control::BT21] = child2->BT21;
  built_.controls[Control::GRST01] = child2->ST01;
  splitter->addWidget(child1);
  splitter->addWidget(child2);
  // The file list takes what the result pane leaves; a dragged border keeps
  // its place when the window is resized.
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 0);
  window_.setCentralWidget(splitter);
}

}  // namespace pictray::app
