#include "app/twinscan/review_pane.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

#include "app/common/control_factory.h"
#include "app/twinscan/skipped_list.h"
#include "app/twinscan/thumbnail_drawer.h"
#include "engine/run/command_ids.h"

namespace pictray::twinscan {
namespace {

// A text marked for translation elsewhere.
QString Tr(const char* text) { return QCoreApplication::translate("Twinscan", text); }

// The frame that marks the selected file, and the room it has around the card.
constexpr int kFrame = 3, kFrameRoom = kFrame + 1;
// The member view's cell: the thumbnail and five short lines under it, in the frame's room.
constexpr int kCellWidth = kLargeThumbnail + 80 + 2 * kFrameRoom, kCellHeight = kLargeThumbnail + 96 + 2 * kFrameRoom;

// Draws thumbnails as they are whether their row is selected or not: a
// view tints a selected row's picture, and two byte-identical pictures
// would then look different. The files' cards mark their selection with a
// frame rather than a fill.
class ThumbnailDelegate : public QStyledItemDelegate {
 public:
  ThumbnailDelegate(bool framed, QObject* parent) : QStyledItemDelegate(parent), framed_(framed) {}

  // A card takes its whole cell, so that its lines wrap at the cell's width.
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return framed_ ? QSize(kCellWidth, kCellHeight) : QStyledItemDelegate::sizeHint(option, index);
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    if (!framed_) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    // The card is drawn inside the frame's room, selected or not, so that
    // the frame never covers the picture and the picture never moves.
    QStyleOptionViewItem plain(option);
    plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    plain.rect = option.rect.adjusted(kFrameRoom, kFrameRoom, -kFrameRoom, -kFrameRoom);
    QStyledItemDelegate::paint(painter, plain, index);
    if (!(option.state & QStyle::State_Selected)) return;
    painter->save();
    QPen pen(option.palette.color(QPalette::Active, QPalette::Highlight), kFrame);
    pen.setJoinStyle(Qt::MiterJoin);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    const qreal half = kFrame / 2.0;
    painter->drawRect(QRectF(option.rect).adjusted(half, half, -half, -half));
    painter->restore();
  }

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    const QPixmap thumbnail = index.data(Qt::DecorationRole).value<QPixmap>();
    if (!thumbnail.isNull()) option->icon.addPixmap(thumbnail, QIcon::Selected);
  }

 private:
  bool framed_;
};

}  // namespace

ReviewPane::ReviewPane(QWidget* parent, ReviewSource source, Dispatch command)
    : QWidget(parent), source_(source), command_(std::move(command)) {
  groupModel_ = new GroupListModel(source_, kSmallThumbnail, this);
  memberModel_ = new MemberModel(source_, kLargeThumbnail, this);

  groups_ = new QTableView(this);
  groups_->setObjectName("reviewGroups");
  groups_->setModel(groupModel_);
  groups_->setItemDelegate(new ThumbnailDelegate(false, groups_));
  groups_->setSelectionBehavior(QAbstractItemView::SelectRows);
  groups_->setSelectionMode(QAbstractItemView::SingleSelection);
  groups_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  groups_->setIconSize(QSize(kSmallThumbnail, kSmallThumbnail));
  groups_->verticalHeader()->hide();
  groups_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  groups_->verticalHeader()->setDefaultSectionSize(kSmallThumbnail + 4);
  // The largest surplus first; a header's click sorts by its column.
  groups_->horizontalHeader()->setSortIndicator(GroupListModel::kSurplus, Qt::DescendingOrder);
  groups_->setSortingEnabled(true);
  groups_->setTabKeyNavigation(false);  // Tab goes on to the files
  groups_->setAccessibleName(QCoreApplication::translate("Twinscan", "同じファイルのグループ"));
  groups_->installEventFilter(this);

  members_ = new QListView(this);
  members_->setObjectName("reviewMembers");
  members_->setModel(memberModel_);
  members_->setItemDelegate(new ThumbnailDelegate(true, members_));
  QObject::connect(members_->selectionModel(), &QItemSelectionModel::currentChanged, this,
                   [this] { EnableButtons(); });
  members_->setViewMode(QListView::IconMode);
  members_->setFlow(QListView::LeftToRight);
  members_->setWrapping(true);
  members_->setResizeMode(QListView::Adjust);
  members_->setMovement(QListView::Static);
  members_->setUniformItemSizes(true);  // a group of hundreds is laid out without asking each cell
  members_->setWordWrap(true);
  members_->setTextElideMode(Qt::ElideMiddle);
  members_->setIconSize(QSize(kLargeThumbnail, kLargeThumbnail));
  members_->setGridSize(QSize(kCellWidth, kCellHeight));
  members_->setSelectionMode(QAbstractItemView::SingleSelection);
  members_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  members_->setAccessibleName(QCoreApplication::translate("Twinscan", "グループのファイル"));
  members_->installEventFilter(this);

  const struct {
    int id;
    const char* text;
    const char* tip;
  } buttons[] = {
      {cmd::MakeKept, QT_TRANSLATE_NOOP("Twinscan", "残すファイルにする"),
       QT_TRANSLATE_NOOP("Twinscan", "選んだファイルを残し、ほかを余分なコピーとします (Space / Enter)")},
      {cmd::LeaveOut, QT_TRANSLATE_NOOP("Twinscan", "同じではない"),
       QT_TRANSLATE_NOOP("Twinscan", "選んだファイルをこのグループから外します。動かしません (Delete)")},
      {cmd::LeaveOutGroup, QT_TRANSLATE_NOOP("Twinscan", "グループごと外す"),
       QT_TRANSLATE_NOOP("Twinscan", "このグループのファイルはどれも動かしません (Delete)")},
      {cmd::UndoChoice, QT_TRANSLATE_NOOP("Twinscan", "取り消す"),
       QT_TRANSLATE_NOOP("Twinscan", "最後の選択を取り消します (Ctrl+Z)")},
      {cmd::ExtractChosen, QT_TRANSLATE_NOOP("Twinscan", "選んだとおりに抽出"),
       QT_TRANSLATE_NOOP("Twinscan", "残すファイル以外をグループごとのフォルダへ移します")},
  };
  auto* row = new QHBoxLayout;
  for (std::size_t i = 0; i < std::size(buttons); ++i) {
    QPushButton* b = buttons_[i] = ui::MakeTextButtonWnd(this, buttons[i].id, Tr(buttons[i].text));
    b->setAccessibleName(Tr(buttons[i].text));
    b->setMinimumWidth(b->sizeHint().width() + 16);  // the text with room on both sides
    // Reached by Tab, never by a click: the keys stay on the files.
    b->setFocusPolicy(Qt::TabFocus);
    b->installEventFilter(this);
    ui::MakeToolTip(b, Tr(buttons[i].tip));
    QObject::connect(b, &QPushButton::clicked, this, [this, id = buttons[i].id] { command_(id); });
    if (buttons[i].id == cmd::ExtractChosen) row->addStretch(1);
    row->addWidget(b);
  }
  summary_ = new QLabel(this);
  summary_->setAccessibleName(QCoreApplication::translate("Twinscan", "グループの数"));
  hidden_ = new QLabel(this);
  forget_ = ui::MakeTextButtonWnd(this, cmd::ForgetDecisions, QCoreApplication::translate("Twinscan", "判断を忘れる…"));
  forget_->setAccessibleName(forget_->text());
  ui::MakeToolTip(forget_, QCoreApplication::translate(
                               "Twinscan", "「同じではない」「グループごと外す」で選んで抽出した判断を忘れ、次に探すときにまた表示します"));
  forget_->setFocusPolicy(Qt::TabFocus);
  QObject::connect(forget_, &QPushButton::clicked, this, [this] { command_(cmd::ForgetDecisions); });
  skipped_ = new QLabel(this);
  listSkipped_ = ui::MakeTextButtonWnd(this, 0, QCoreApplication::translate("Twinscan", "一覧…"));
  listSkipped_->setObjectName("listSkipped");
  listSkipped_->setAccessibleName(QCoreApplication::translate("Twinscan", "比べなかった画像の一覧"));
  ui::MakeToolTip(listSkipped_, QCoreApplication::translate(
                                    "Twinscan", "似た画像の検索で比べなかった画像と、その理由（読めない、大きすぎる、描けない形式）"));
  listSkipped_->setFocusPolicy(Qt::TabFocus);
  QObject::connect(listSkipped_, &QPushButton::clicked, this, [this] { OpenSkippedList(); });
  auto* top = new QHBoxLayout;
  top->addWidget(summary_);
  top->addStretch(1);
  top->addWidget(skipped_);
  top->addWidget(listSkipped_);
  top->addSpacing(12);
  top->addWidget(hidden_);
  top->addWidget(forget_);
  ShowHidden(0, 0);
  ShowSkipped();

  // The choices' buttons under both lists, so that a small screen still
  // has room for them all.
  auto* split = new QSplitter(Qt::Horizontal, this);
  split->addWidget(groups_);
  split->addWidget(members_);
  split->setStretchFactor(1, 1);
  split->setChildrenCollapsible(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(top);
  layout->addWidget(split, 1);
  layout->addLayout(row);
  setTabOrder(groups_, members_);

  QObject::connect(groups_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                   [this](const QModelIndex& now) {
                     memberModel_->ShowGroup(now.isValid() ? groupModel_->GroupAt(now.row()) : -1);
                     if (memberModel_->rowCount() > 0) members_->setCurrentIndex(memberModel_->index(0));
                   });
  SizeGroupList();
  ShowSummary();
}

void ReviewPane::ShowNew() {
  source_.thumbnails->Forget();
  if (skippedList_) skippedList_->close();  // it listed the review replaced
  groupModel_->Reset();
  SelectRow(0, 0);
  ShowSkipped();
}

void ReviewPane::ShowSkipped() {
  const std::size_t n = source_.review->skipped.size();
  skipped_->setText(n == 0 ? QString() : SkippedCountText(n));
  skipped_->setVisible(n > 0);
  listSkipped_->setVisible(n > 0);
}

void ReviewPane::OpenSkippedList() {
  if (source_.review->skipped.empty()) return;
  if (!skippedList_) skippedList_ = new SkippedList(this, source_);
  skippedList_->show();
  skippedList_->raise();
  skippedList_->activateWindow();
}

void ReviewPane::ShowGroupChanged(std::size_t group, std::size_t member) {
  groupModel_->Changed(group);
  SelectRow(groupModel_->RowOf(group), member);
  KeepFocus();
}

void ReviewPane::ShowGroupRemoved(std::size_t group) {
  const int row = groupModel_->RowOf(group);
  groupModel_->Removed(group);
  SelectRow(row, 0);
  KeepFocus();
}

void ReviewPane::ShowGroupRestored(std::size_t group, int row, std::size_t member) {
  groupModel_->Restored(group, row);
  SelectRow(groupModel_->RowOf(group), member);
  KeepFocus();
}

void ReviewPane::SetUndoable(bool undoable) {
  undoable_ = undoable;
  EnableButtons();
}

void ReviewPane::SelectRow(int row, std::size_t member) {
  const int rows = groupModel_->rowCount();
  if (rows == 0) {
    memberModel_->ShowGroup(-1);
  } else {
    const QModelIndex at = groupModel_->index(std::clamp(row, 0, rows - 1), 0);
    groups_->setCurrentIndex(at);
    groups_->scrollTo(at);
    // Drawn again also when the row was current already: its group changed.
    memberModel_->ShowGroup(groupModel_->GroupAt(at.row()));
    const int members = memberModel_->rowCount();
    if (members > 0)
      members_->setCurrentIndex(memberModel_->index(std::min(static_cast<int>(member), members - 1)));
  }
  ShowSummary();
}

void ReviewPane::KeepFocus() {
  if (groups_->hasFocus()) return;
  if (memberModel_->rowCount() > 0)
    members_->setFocus();
  else
    groups_->setFocus();
}

// The columns of numbers as wide as their widest values; the kept file's
// name has the rest. No row is measured, so no thumbnail is drawn for it.
void ReviewPane::SizeGroupList() {
  QHeaderView* header = groups_->horizontalHeader();
  const QFontMetrics text = groups_->fontMetrics(), head = header->fontMetrics();
  const int sortMark = style()->pixelMetric(QStyle::PM_HeaderMarkSize) + 8;
  auto widthOf = [&](int column, const QString& widest) {
    const QString name = groupModel_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    return std::max(head.horizontalAdvance(name) + sortMark, text.horizontalAdvance(widest)) + 16;
  };
  const int files = widthOf(GroupListModel::kFiles, Count(99999));
  const int surplus = widthOf(GroupListModel::kSurplus, SizeText(999900ULL * 1024 * 1024));
  const int kept = std::max(widthOf(GroupListModel::kKept, QString()),
                            kSmallThumbnail + 16 + text.horizontalAdvance("IMG_20240501_1030"));
  header->setMinimumSectionSize(std::min(files, surplus));
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setSectionResizeMode(GroupListModel::kKept, QHeaderView::Stretch);
  header->setStretchLastSection(false);
  header->resizeSection(GroupListModel::kFiles, files);
  header->resizeSection(GroupListModel::kSurplus, surplus);
  groups_->setMinimumWidth(files + kept + surplus + groups_->verticalScrollBar()->sizeHint().width() +
                           2 * groups_->frameWidth());
}

void ReviewPane::ShowSummary() {
  std::uint64_t surplus = 0, bytes = 0;
  for (const dupes::TwinGroup& g : source_.review->groups) {
    surplus += g.members.size() - 1;
    bytes += source_.SurplusBytes(g);
  }
  summary_->setText(source_.review->groups.empty()
                        ? QCoreApplication::translate("Twinscan", "同じファイルのグループはありません")
                        : QCoreApplication::translate("Twinscan", "%1 組、余分 %2 件（%3）")
                              .arg(Count(source_.review->groups.size()), Count(surplus), SizeText(bytes)));
  EnableButtons();
}

void ReviewPane::ThumbnailArrived() {
  groupModel_->Redraw();
  memberModel_->Redraw();
}

void ReviewPane::SetWorking(bool working) {
  working_ = working;
  forget_->setEnabled(!working_);
  EnableButtons();
}

void ReviewPane::ShowHidden(std::size_t groups, std::size_t files) {
  const bool any = groups + files > 0;
  hidden_->setText(any ? QCoreApplication::translate("Twinscan", "以前の判断で %1 組・%2 件を表示していません")
                             .arg(Count(groups), Count(files))
                       : QString());
  hidden_->setVisible(any);
  forget_->setVisible(any);
  forget_->setEnabled(!working_);
}

void ReviewPane::EnableButtons() {
  const std::vector<dupes::TwinGroup>& groups = source_.review->groups;
  const bool any = !working_ && !groups.empty();
  // The kept file leaves its group only once another is kept.
  const int g = currentGroup(), m = currentMember();
  const bool onCopy = any && g >= 0 && static_cast<std::size_t>(g) < groups.size() && m >= 0 &&
                      static_cast<std::size_t>(m) != groups[static_cast<std::size_t>(g)].kept;
  // A reference folder's file stays kept.
  const bool keptMayChange = onCopy && !source_.KeptIsReference(groups[static_cast<std::size_t>(g)]);
  for (QPushButton* b : buttons_) {
    const int id = ui::ControlId(b);
    if (id == cmd::UndoChoice)
      b->setEnabled(!working_ && undoable_);
    else
      b->setEnabled(id == cmd::MakeKept ? keptMayChange : id == cmd::LeaveOut ? onCopy : any);
  }
}

int ReviewPane::currentGroup() const { return memberModel_->group(); }

int ReviewPane::currentRow() const {
  const QModelIndex i = groups_->currentIndex();
  return i.isValid() ? i.row() : -1;
}

int ReviewPane::currentMember() const {
  const QModelIndex i = members_->currentIndex();
  return i.isValid() ? i.row() : -1;
}

QPushButton* ReviewPane::button(int id) const {
  for (QPushButton* b : buttons_)
    if (ui::ControlId(b) == id) return b;
  return id == cmd::ForgetDecisions ? forget_ : nullptr;
}

// Ctrl+Z is the window's undo of the extraction; in the review, while a
// choice can be taken back, it takes that back instead.
bool ReviewPane::TakeUndoKey(QEvent* event) {
  if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) return false;
  if (working_ || !undoable_ || !static_cast<QKeyEvent*>(event)->matches(QKeySequence::Undo)) return false;
  if (event->type() == QEvent::ShortcutOverride)
    event->accept();  // the key comes here as a key press, not to the window's shortcut
  else
    command_(cmd::UndoChoice);
  return true;
}

bool ReviewPane::eventFilter(QObject* watched, QEvent* event) {
  if (TakeUndoKey(event)) return true;
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  int id = 0;
  if (watched == members_ && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter))
    id = cmd::MakeKept;
  else if (watched == members_ && key == Qt::Key_Delete)
    id = cmd::LeaveOut;
  else if (watched == groups_ && key == Qt::Key_Delete)
    id = cmd::LeaveOutGroup;
  if (id == 0) return QWidget::eventFilter(watched, event);
  command_(id);
  return true;
}

}  // namespace pictray::twinscan
