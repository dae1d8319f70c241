#include "app/pictray/result_pane.h"

#include <QContextMenuEvent>
#include <QResizeEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <memory>

#include "app/common/control_factory.h"
#include "app/common/text_bytes.h"
#include "app/pictray/help_texts.h"
#include "app/pictray/list_models.h"
#include "app/pictray/popup_menu.h"
#include "app/pictray/program_launcher.h"
#include "app/pictray/window_text.h"
#include "engine/colour/rgb_name.h"
#include "engine/fs/break_folda.h"
#include "engine/fs/paths.h"
#include "engine/run/command_ids.h"

namespace pictray::app {
namespace {

constexpr int kPreimg = 75;  // edge of the preview square
// The pane's height at start; dragging the splitter gives the room to LV02.
constexpr int kStartHeight = 260;

// A help line that never shows cut: narrower than its text, it ends in an
// ellipsis (the whole line is its tooltip).
class HelpLine : public QLabel {
 public:
  HelpLine(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setToolTip(text);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setPen(palette().color(foregroundRole()));
    p.drawText(contentsRect(), Qt::AlignLeft | Qt::AlignVCenter,
               fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width()));
  }
};

constexpr const char* kReadDayHelp = QT_TRANSLATE_NOOP(
    "Pictray",
    "リストアップ時、jpeg(exifフォ－マット)で作成日付が分かる場合セット ※{EX～RGB成分強度分析}が全てoffの時のみ有効");
constexpr const char* kReadDayTip = QT_TRANSLATE_NOOP(
    "Pictray", "リストアップ時、jpeg(exifフォ－マット)で作成日付が分かる場合セット ※{EX,inf,hed}がoffの時のみ有効");

QPushButton* Toggle(QWidget* parent, const char* name, const QString& caption, const QIcon& icon, bool on) {
  auto* b = new QPushButton(icon, caption, parent);
  b->setObjectName(name);
  b->setCheckable(true);
  b->setChecked(on);
  ui::StandOutWhenOn(b);
  b->setFont(ui::MinchoFont(12));
  b->setIconSize(QSize(16, 16));
  b->setMinimumHeight(25);
  return b;
}

QTreeWidget* ReportList(QWidget* parent, const char* name, const QStringList& titles, const QList<int>& widths) {
  auto* list = new QTreeWidget(parent);
  list->setObjectName(name);
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setHeaderLabels(titles);
  for (int c = 0; c < widths.size(); ++c) {
    list->setColumnWidth(c, widths[c]);
    if (c > 0) list->headerItem()->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
  }
  return list;
}

}  // namespace

ResultPane::ResultPane(PaneLinks links, QWidget* parent) : QWidget(parent), links_(std::move(links)) {
  setObjectName("child2");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  LV02 = ReportList(
      this, "LV02",
      {QCoreApplication::translate("Pictray", "フォルダ名"), QCoreApplication::translate("Pictray", "件数"),
       QCoreApplication::translate("Pictray", "1件目ファイル"), QCoreApplication::translate("Pictray", "パス"), "mode"},
      {140, 50, 160, 360, 60});
  LV02->setAccessibleName(QCoreApplication::translate("Pictray", "移動結果"));
  LV02->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // Long paths keep both ends in view; the whole path is the tooltip.
  LV02->setTextElideMode(Qt::ElideMiddle);
  LV02->setMinimumHeight(40);
  // Room the splitter gives the pane goes to both lists, LV02 first.
  layout->addWidget(LV02, 2);

  auto* lower = new QHBoxLayout;
  lower->setSpacing(10);
  preview_ = new QLabel(this);
  preview_->setObjectName("preview");
  preview_->setFixedSize(kPreimg + 2, kPreimg + 2);
  preview_->setFrameShape(QFrame::Box);
  preview_->setAlignment(Qt::AlignCenter);
  preview_->setToolTip(QCoreApplication::translate("Pictray", "プレビュー"));
  lower->addWidget(preview_, 0, Qt::AlignTop);
  lower->addWidget(BuildToggles(), 0, Qt::AlignTop);
  LV03 = ReportList(
      this, "LV03",
      {QCoreApplication::translate("Pictray", "　　　　分類"), QCoreApplication::translate("Pictray", "件数　　　")},
      {120, 80});
  LV03->setAccessibleName(QCoreApplication::translate("Pictray", "分類ごとの件数"));
  LV03->header()->setSectionsMovable(true);
  // The names take what the counts leave; one still too long is elided, the
  // whole name its tooltip. Wider windows share their room with the help.
  LV03->header()->setStretchLastSection(false);
  LV03->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  LV03->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  LV03->setMinimumSize(220, 80);
  LV03->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
  lower->addWidget(LV03, 1);
  lower->addWidget(BuildHelp(), 2);
  relayCaption_ = QCoreApplication::translate("Pictray",
                                              "ファイル整理ソフト(lumoセット)を\nダウンロ－ドして使ってみる。　　\n"
                                              "                  [フリ－ソフト]");
  BT22 = new QPushButton(ui::GlyphIcon("7z", QColor(90, 60, 140)), relayCaption_, this);
  BT22->setObjectName("BT22");
  BT22->setToolTip(relayCaption_);
  // Its caption may be left off for room; its name stays.
  BT22->setAccessibleName(relayCaption_.simplified());
  BT22->setIconSize(QSize(32, 32));
  BT22->setFont(ui::MinchoFont(11));
  lower->addWidget(BT22, 0, Qt::AlignBottom);
  layout->addLayout(lower, 1);

  connect(BT22, &QPushButton::clicked, this, &ResultPane::StartRelay);
  RefreshApp3Icon();
}

QWidget* ResultPane::BuildToggles() {
  const SettingsFiles& f = links_.files;
  // Each switch as the settings file has it at start.
  const bool moveSoon = ReadSetting(env_, key::MoveSoon, f.GRprofile) == "1";
  const bool black = ReadSetting(env_, key::BlackBack, f.GRprofile) == "1";
  const bool readDay = ReadSetting(env_, key::ReadDay, f.GRprofile) == "1";
  if (links_.MoveOn) links_.MoveOn->store(moveSoon ? 1 : 0);

  auto* box = new QWidget(this);
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setVerticalSpacing(4);
  CK20 = Toggle(box, "CK20", QCoreApplication::translate("Pictray", "解析終了後すぐ移動する"),
                ui::GlyphIcon("→", QColor(40, 90, 200), 16), moveSoon);
  CK21 = Toggle(box, "CK21", "black Back", ui::GlyphIcon("■", QColor(30, 30, 30), 16), black);
  CK22 = Toggle(box, "CK22", QCoreApplication::translate("Pictray", "読込み時作成日セット"),
                ui::GlyphIcon(QCoreApplication::translate("Pictray", "日", "icon letters"), QColor(200, 120, 40), 16),
                readDay);
  ui::MakeToolTip(CK22, QCoreApplication::translate("Pictray", kReadDayTip));
  grid->addWidget(CK20, 0, 0);
  grid->addWidget(CK21, 1, 0);
  grid->addWidget(CK22, 2, 0);

  ST01 = new QLabel(box);
  ST01->setObjectName("ST01");
  ST01->setPixmap(ui::GlyphIcon("1", QColor(60, 60, 190), 20).pixmap(20, 20));
  ST01->setToolTip(QCoreApplication::translate("Pictray", "ひとつのフォルダにまとめる"));
  ST01->hide();
  ST21 = new QLabel(box);
  ST21->setObjectName("ST21");
  ST21->setFixedSize(40, 40);
  BT21 = new QPushButton(
      ui::GlyphIcon(QCoreApplication::translate("Pictray", "開", "icon letters"), QColor(40, 140, 90), 16),
      QCoreApplication::translate("Pictray", "移動後のフォルダを開く"), box);
  BT21->setObjectName("BT21");
  BT21->setFont(ui::MinchoFont(12));
  BT21->hide();
  // Beside the toggles rather than below them, so that the pane can be
  // dragged down to the height of three toggles.
  grid->addWidget(ST21, 0, 1, 2, 1, Qt::AlignCenter);
  grid->addWidget(ST01, 0, 2, Qt::AlignTop);
  grid->addWidget(BT21, 2, 1, 1, 2);

  connect(CK20, &QPushButton::toggled, this, [this](bool on) {
    if (links_.MoveOn) links_.MoveOn->store(on ? 1 : 0);
    StoreToggle(key::MoveSoon, on);
  });
  connect(CK21, &QPushButton::toggled, this, [this](bool on) {
    StoreToggle(key::BlackBack, on);
    RecolourResults();
    emit blackBackChanged(on);
  });
  connect(CK22, &QPushButton::toggled, this, [this](bool on) { StoreToggle(key::ReadDay, on); });
  connect(BT21, &QPushButton::clicked, this, [this] { links_.command(cmd::OpenFolderApp3, 0); });
  return box;
}

QWidget* ResultPane::BuildHelp() {
  auto* box = new QWidget(this);
  auto* v = new QVBoxLayout(box);
  v->setContentsMargins(0, 0, 0, 0);
  v->setSpacing(1);
  const QFont small = ui::MinchoFont(11);
  auto line = [&](const QString& text, const char* name) {
    auto* l = new HelpLine(text, box);
    l->setObjectName(name);
    l->setFont(small);
    v->addWidget(l);
    return l;
  };
  line(QCoreApplication::translate("Pictray", kReadDayHelp), "readDayHelp")->setStyleSheet("color: #555;");
  v->addSpacing(4);
  for (const char* text : kPatternHelp) line(QCoreApplication::translate("Pictray", text), "patternHelp");
  v->addStretch(1);
  return box;
}

bool ResultPane::blackBack() const { return CK21->isChecked(); }

void ResultPane::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  FitRelayCaption();
}

void ResultPane::FitRelayCaption() {
  // Narrower than this, the caption would take the help lines' room: the
  // button keeps its icon, the caption is its tooltip.
  constexpr int kRoomForCaption = 1300;
  const bool roomy = width() >= kRoomForCaption;
  if (roomy == !BT22->text().isEmpty()) return;
  BT22->setText(roomy ? relayCaption_ : QString());
}

QSize ResultPane::sizeHint() const { return {QWidget::sizeHint().width(), kStartHeight}; }

void ResultPane::StoreToggle(const SettingKey& k, bool on) {
  const char* value = on ? "1" : "0";
  for (const std::string* file : {&links_.files.profile, &links_.files.GRprofile}) {
    if (WriteSetting(env_, k, value, *file)) continue;
    if (links_.message)
      links_.message(WindowText(QT_TRANSLATE_NOOP("Pictray", "設定ファイルに書き込めません: %1"), {*file}), Button::Err, Button::Err);
    return;
  }
}

void ResultPane::Colour(QTreeWidgetItem* item) const {
  const std::string folder = ui::BytesOf(item->text(0));
  const std::optional<QColor> colour = isRGB(folder) == 1 ? ColourOfText(folder) : std::nullopt;
  const QColor back = colour && blackBack() ? QColor(Qt::black) : QColor(Qt::white);
  for (int c = 0; c < item->columnCount(); ++c) {
    item->setForeground(c, colour ? *colour : QColor(Qt::black));
    item->setBackground(c, back);
  }
}

void ResultPane::RecolourResults() {
  for (int i = LV02->topLevelItemCount() - 1; i >= 0; --i) Colour(LV02->topLevelItem(i));
}

void ResultPane::SetSummary(const std::vector<SummaryLine>& lines) {
  LV03->clear();
  QList<QTreeWidgetItem*> items;
  for (const SummaryLine& l : lines) {
    const QString name = ui::TextOf(l.target);
    auto* item = new QTreeWidgetItem({name, QString::number(l.count)});
    item->setToolTip(0, name);
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    items.append(item);
  }
  LV03->addTopLevelItems(items);
}

void ResultPane::SetMoveResult(std::size_t index, const MoveResultLine& line) {
  QTreeWidgetItem* item = LV02->topLevelItem(static_cast<int>(index));
  if (!item) {
    item = new QTreeWidgetItem;
    LV02->addTopLevelItem(item);
  }
  const QStringList texts = {ui::TextOf(line.folder), QString::number(line.count), ui::TextOf(line.firstFile),
                             ui::TextOf(line.path), QString::fromStdString(line.mode)};
  for (int c = 0; c < texts.size(); ++c) {
    item->setText(c, texts[c]);
    item->setToolTip(c, texts[c]);
    if (c > 0) item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
  }
  item->setData(3, kPathRole, QByteArray::fromStdString(line.path));
  item->setData(0, kTargetRole, QByteArray::fromStdString(line.folder));
  Colour(item);
}

void ResultPane::ShowPreview(const QImage& square) { preview_->setPixmap(QPixmap::fromImage(square)); }

void ResultPane::RefreshApp3Icon() {
  const QString app3 = ui::TextOf(ReadSetting(env_, key::app3, links_.files.profile));
  const QIcon icon = app3 == "open" ? ui::GlyphIcon(QCoreApplication::translate("Pictray", "開", "icon letters"),
                                                    QColor(40, 140, 90), 32)
                                    : ui::ProgramIcon(app3, ui::TextOf(links_.programDir), links_.ownIcon);
  ST21->setPixmap(icon.isNull() ? QPixmap() : icon.pixmap(32, 32));
  ST21->setToolTip(app3);
}

}  // namespace pictray::app
