// What a run shows in Twinscan's window: its end, the controls it leaves
// on, its messages, progress, count line, table, review and result lines.
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QFileIconProvider>
#include <QProgressBar>
#include <QTableView>
#include <QTableWidget>
#include <algorithm>

#include "app/common/language.h"
#include "app/common/message_box.h"
#include "app/common/text_bytes.h"
#include "app/twinscan/file_table_model.h"
#include "app/twinscan/review_models.h"
#include "app/twinscan/review_pane.h"
#include "app/twinscan/skipped_list.h"
#include "app/twinscan/twinscan_window.h"
#include "engine/dupes/groups.h"
#include "engine/dupes/twinscan_profile.h"
#include "engine/fs/paths.h"

namespace pictray::twinscan {

using ui::TextOf;

void TwinscanWindow::RunEnded(const TwinscanEnd& end) {
  // The end is the run's last call: its thread returns at once.
  launcher_.WaitForAll();
  running_ = false;
  samedir = end.samedir;
  samedirs = end.samedirs;
  movedFiles = end.moved;
  // After an extraction BT41 and BT42 stay off while there is no folder to
  // open or delete; a refused one changed nothing.
  const bool extraction = job_ == cmd::Extract || job_ == cmd::ExtractChosen || (job_ == cmd::FindCopies && val_.MoveSoon);
  if (job_ == cmd::Extract || job_ == cmd::ExtractChosen)
    sameButtonsOn_ = end.refused || IsFolder(*val_.env, samedir);
  // The extracted groups are gone from the folder; a refused extraction
  // moved nothing and leaves the choices as they were.
  if (extraction && !end.refused) ClearReview();
  if (job_ == cmd::UndoExtract) sameButtonsOn_ = ExtractionFolderThere();
  // An undo that emptied the table and could not list the folder again leaves no rows to review.
  if (job_ == cmd::UndoExtract && c_.model->lpData().empty()) ClearReview();
  ShowCountLine();  // the run's progress gives way to what it left
  // What the review's earlier decisions hid, from the runs that group; with
  // nothing else to show, the review says so.
  if (job_ == cmd::FindCopies || job_ == cmd::UndoExtract) {
    reviewPane_->ShowHidden(end.hiddenGroups, end.hiddenMembers);
    if (end.hiddenGroups + end.hiddenMembers > 0 && review.groups.empty() && !val_.MoveSoon)
      c_.tabs->setCurrentWidget(reviewPane_);
  }
  ShowRunState();
  // A question answered while closing says nothing about the user's wish;
  // a close that waited for the run's end goes on now.
  if (end.quit || closing_) close();
}

void TwinscanWindow::ShowRunState() {
  c_.BT44->setEnabled(running_);
  c_.BT01->setEnabled(!running_);
  c_.BT41->setEnabled(!running_ && sameButtonsOn_);
  c_.BT42->setEnabled(!running_ && sameButtonsOn_);
  c_.clearAction->setEnabled(!running_);
  c_.undoAction->setEnabled(!running_ && ExtractionFolderThere());
  c_.similarBox->setEnabled(!running_ && similarTools_.lib.Drawing());
  for (QPushButton* b : c_.folderButtons) b->setEnabled(!running_);
  c_.subfoldersBox->setEnabled(!running_);
  c_.searchButton->setEnabled(!running_);
  reviewPane_->SetWorking(running_);
}

bool TwinscanWindow::ExtractionFolderThere() const {
  if (!samedir.empty() && IsFolder(*val_.env, samedir)) return true;
  return std::any_of(samedirs.begin(), samedirs.end(), [this](const std::string& dir) { return IsFolder(*val_.env, dir); });
}

int TwinscanWindow::Message(const std::string& text, Button caption1, Button caption2) {
  return ui::MessageBox1Q(this, TextOf(text), caption1, caption2);
}

void TwinscanWindow::ShowProgress(TwinscanBar bar, int position) {
  (bar == TwinscanBar::PR01 ? c_.PR01 : c_.PR02)->setValue(position);
}

void TwinscanWindow::ShowCount(const std::string& text) {
  kenbuf = text;
  ShowCountLine();
}

// The count the run gives, and once grouping found copies, how many sets
// and surplus copies the table holds.
void TwinscanWindow::ShowCountLine() {
  QString line = TextOf(kenbuf);
  if (const dupes::GroupCount groups = dupes::CountGroups(c_.model->lpData()); groups.sets > 0)
    line += "    " + QCoreApplication::translate("Twinscan", "同じファイル %1 組、余分 %2 件")
                         .arg(groups.sets)
                         .arg(groups.surplus);
  if (!review.skipped.empty())
    line += "    " + SkippedCountText(review.skipped.size());
  c_.ST01->setText(line);
}

void TwinscanWindow::ShowTable(const std::vector<dupes::FileRec>& lpData) {
  c_.model->setTable(lpData);
  c_.LV01->resizeColumnsToContents();
  ShowCountLine();
}

// The count line says where the run is; the search's phases, which follow
// the listing, also move PR01 and keep the listing's count in front.
void TwinscanWindow::ShowRunProgress(texts::ProgressStep step, std::size_t done, std::size_t total,
                                     long long secondsLeft) {
  const bool search = step == texts::ProgressStep::Measuring || step == texts::ProgressStep::Comparing;
  if (search) c_.PR01->setValue(total == 0 ? 0 : static_cast<int>(done * 100 / total));
  const QString words = TextOf(texts::ProgressWords(step, done, total, secondsLeft, ui::WindowLanguage()));
  c_.ST01->setText(search && !kenbuf.empty() ? TextOf(kenbuf) + "    " + words : words);
}

// Without the automatic extraction the groups are what the user looks at next.
void TwinscanWindow::ShowReview(const dupes::TwinReview& found) {
  review = found;
  choices_.Clear();
  reviewPane_->SetUndoable(false);
  reviewPane_->ShowNew();
  if (review.groups.empty() || val_.MoveSoon) return;
  c_.tabs->setCurrentWidget(reviewPane_);
  reviewPane_->groupList()->setFocus();  // the keys go on from the groups
}

void TwinscanWindow::ClearReview() {
  review = {};
  choices_.Clear();
  reviewPane_->SetUndoable(false);
  reviewPane_->ShowNew();
}

void TwinscanWindow::MakeChoice(int id) {
  const int group = reviewPane_->currentGroup(), member = reviewPane_->currentMember();
  if (running_ || group < 0 || static_cast<std::size_t>(group) >= review.groups.size()) return;
  const ReviewChoice choice = id == cmd::MakeKept   ? ReviewChoice::MakeKept
                              : id == cmd::LeaveOut ? ReviewChoice::LeaveOut
                                                    : ReviewChoice::LeaveOutGroup;
  if (choice != ReviewChoice::LeaveOutGroup && member < 0) return;
  const ReviewSource source{&review, &c_.model->lpData(), nullptr};
  if (choice == ReviewChoice::MakeKept && source.KeptIsReference(review.groups[static_cast<std::size_t>(group)])) return;
  const std::optional<ReviewStep> step =
      choices_.Make(review.groups, choice, static_cast<std::size_t>(group), static_cast<std::size_t>(std::max(member, 0)),
                    reviewPane_->currentRow());
  if (!step) return;
  reviewPane_->SetUndoable(true);
  if (step->removed)
    reviewPane_->ShowGroupRemoved(step->group);
  else
    reviewPane_->ShowGroupChanged(step->group, step->member);
}

void TwinscanWindow::UndoChoice() {
  if (running_) return;
  const std::optional<ReviewStep> step = choices_.Undo(review.groups);
  if (!step) return;
  reviewPane_->SetUndoable(!choices_.empty());
  if (step->removed)
    reviewPane_->ShowGroupRestored(step->group, step->row, step->member);
  else
    reviewPane_->ShowGroupChanged(step->group, step->member);
}

// A folder listed before the toggle was grouped the other way: the user is
// offered its search again, which the toggle alone does not start.
void TwinscanWindow::SetSimilarSearch() {
  const bool on = c_.similarBox->isChecked();
  if (!dupes::WriteSimilarSearch(*val_.env, profile, on))
    ui::MessageBox1Q(this, QCoreApplication::translate("Twinscan", "設定ファイルに書き込めません: %1").arg(TextOf(profile)),
                     Button::Err, Button::Err);
  OfferSearchAgain(on ? QCoreApplication::translate("Twinscan", "似た画像も探すようにしました。%1 をもう一度探しますか？")
                      : QCoreApplication::translate("Twinscan", "同じファイルだけを探すようにしました。%1 をもう一度探しますか？"));
}

void TwinscanWindow::OfferSearchAgain(const QString& question) {
  if (running_ || TargetFolda.empty() || c_.model->lpData().empty()) return;
  // The folders the table came from: the first, and how many more.
  const std::size_t more = val_.folders.size() > 1 ? val_.folders.size() - 1 : 0;
  const QString searched = more == 0 ? TextOf(TargetFolda)
                                     : QCoreApplication::translate("Twinscan", "%1 ほか %2 フォルダ")
                                           .arg(TextOf(TargetFolda))
                                           .arg(more);
  if (ui::MessageBox1Q(this, question.arg(searched), Button::Ok, Button::DoNot) == 6) SearchFolders();
}

void TwinscanWindow::ClearResultLines() { c_.LV02->setRowCount(0); }

void TwinscanWindow::ShowResultLine(std::size_t index, const dupes::SameResultLine& line) {
  const int row = static_cast<int>(index);
  if (row >= c_.LV02->rowCount()) c_.LV02->setRowCount(row + 1);
  const QString texts[5] = {TextOf(line.folda), QString::number(line.count), TextOf(line.firstFile),
                            TextOf(line.path), TextOf(line.mode)};
  for (int c = 0; c < 5; ++c) {
    auto* item = new QTableWidgetItem(texts[c]);
    if (c > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (c == 0) item->setIcon(QFileIconProvider().icon(QFileIconProvider::Folder));
    c_.LV02->setItem(row, c, item);
  }
  c_.LV02->resizeColumnsToContents();
}

}  // namespace pictray::twinscan
