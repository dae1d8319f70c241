#include "app/twinscan/review_pane.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/common/control_factory.h"
#include "app/twinscan/thumbnail_drawer.h"
#include "engine/run/controls.h"

namespace pictray::twinscan {
namespace {

// A text marked for translation elsewhere.
QString Tr(const char* text) { return QCoreApplication::translate("Twinscan", text); }

// The member view's cell: the thumbnail and five short lines under it.
constexpr int kCellWidth = kLargeThumbnail + 56, kCellHeight = kLargeThumbnail + 80;

}  // namespace

ReviewPane::ReviewPane(QWidget* parent, ReviewSource source, Dispatch command)
    : QWidget(parent), source_(source), command_(std::move(command)) {
  groupModel_ = new GroupListModel(source_, kSmallThumbnail, this);
  memberModel_ = new MemberModel(source_, kLargeThumbnail, this);

  groups_ = new QTableView(this);
  groups_->setObjectName("reviewGroups");
  groups_->setModel(groupModel_);
  groups_->setSelectionBehavior(QAbstractItemView::SelectRows);
  groups_->setSelectionMode(QAbstractItemView::SingleSelection);
  groups_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  groups_->setIconSize(QSize(kSmallThumbnail, kSmallThumbnail));
  groups_->verticalHeader()->hide();
  groups_->verticalHeader()->setDefaultSectionSize(kSmallThumbnail + 4);
  groups_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  groups_->horizontalHeader()->setStretchLastSection(false);
  groups_->setTabKeyNavigation(false);  // Tab goes on to the files
  groups_->setAccessibleName(QCoreApplication::translate("Twinscan", "同じファイルのグループ"));
  groups_->installEventFilter(this);

  members_ = new QListView(this);
  members_->setObjectName("reviewMembers");
  members_->setModel(memberModel_);
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
      {cmd::ExtractChosen, QT_TRANSLATE_NOOP("Twinscan", "選んだとおりに抽出"),
       QT_TRANSLATE_NOOP("Twinscan", "残すファイル以外をグループごとのフォルダへ移します")},
  };
  auto* row = new QHBoxLayout;
  for (std::size_t i = 0; i < 4; ++i) {
    QPushButton* b = buttons_[i] = ui::MakeTextButtonWnd(this, buttons[i].id, Tr(buttons[i].text));
    b->setAccessibleName(Tr(buttons[i].text));
    b->setMinimumWidth(b->sizeHint().width() + 16);  // the text with room on both sides
    ui::MakeToolTip(b, Tr(buttons[i].tip));
    QObject::connect(b, &QPushButton::clicked, this, [this, id = buttons[i].id] { command_(id); });
    if (i == 3) row->addStretch(1);
    row->addWidget(b);
  }
  summary_ = new QLabel(this);
  summary_->setAccessibleName(QCoreApplication::translate("Twinscan", "グループの数"));

  auto* right = new QWidget(this);
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  rightLayout->addWidget(members_, 1);
  rightLayout->addLayout(row);
  auto* split = new QSplitter(Qt::Horizontal, this);
  split->addWidget(groups_);
  split->addWidget(right);
  split->setStretchFactor(1, 1);
  split->setChildrenCollapsible(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(summary_);
  layout->addWidget(split, 1);
  setTabOrder(groups_, members_);

  QObject::connect(groups_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                   [this](const QModelIndex& now) {
                     memberModel_->ShowGroup(now.isValid() ? now.row() : -1);
                     if (memberModel_->rowCount() > 0) members_->setCurrentIndex(memberModel_->index(0));
                   });
  FitGroupList();
  ShowSummary();
}

void ReviewPane::ShowNew() {
  source_.thumbnails->Forget();
  Select(0, 0);
}

void ReviewPane::ShowChanged(int group, int member) { Select(group, member); }

void ReviewPane::Select(int group, int member) {
  groupModel_->Reset();
  const int groups = groupModel_->rowCount();
  memberModel_->ShowGroup(-1);
  if (groups > 0) {
    groups_->setCurrentIndex(groupModel_->index(std::clamp(group, 0, groups - 1), 0));
    const int members = memberModel_->rowCount();
    if (members > 0) members_->setCurrentIndex(memberModel_->index(std::clamp(member, 0, members - 1)));
  }
  FitGroupList();
  ShowSummary();
}

// The group list takes the room its columns need; the files have the rest.
void ReviewPane::FitGroupList() {
  groups_->resizeColumnsToContents();
  groups_->setMinimumWidth(groups_->horizontalHeader()->length() + groups_->verticalScrollBar()->sizeHint().width() +
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
  EnableButtons();
}

void ReviewPane::EnableButtons() {
  const std::vector<dupes::TwinGroup>& groups = source_.review->groups;
  const bool any = !working_ && !groups.empty();
  // The kept file leaves its group only once another is kept.
  const int g = currentGroup(), m = currentMember();
  const bool onCopy = any && g >= 0 && static_cast<std::size_t>(g) < groups.size() && m >= 0 &&
                      static_cast<std::size_t>(m) != groups[static_cast<std::size_t>(g)].kept;
  for (QPushButton* b : buttons_) {
    const int id = ui::ControlId(b);
    b->setEnabled(id == cmd::MakeKept || id == cmd::LeaveOut ? onCopy : any);
  }
}

int ReviewPane::currentGroup() const { return memberModel_->group(); }

int ReviewPane::currentMember() const {
  const QModelIndex i = members_->currentIndex();
  return i.isValid() ? i.row() : -1;
}

QPushButton* ReviewPane::button(int id) const {
  for (QPushButton* b : buttons_)
    if (ui::ControlId(b) == id) return b;
  return nullptr;
}

bool ReviewPane::eventFilter(QObject* watched, QEvent* event) {
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
