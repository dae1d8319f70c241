// The review: the groups a search found, and the files of the selected one
// side by side with their thumbnails, where the user chooses what stays
// before anything moves. The choices themselves and their undo are the
// window's commands; the pane shows the window's review and sends their ids.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/twinscan/review_models.h"

class QLabel;
class QListView;
class QPushButton;
class QTableView;

namespace pictray::twinscan {

class SkippedList;
class ThumbnailDrawer;

// The thumbnails' sizes in the member view and the group list.
inline constexpr int kLargeThumbnail = 128, kSmallThumbnail = 40;

class ReviewPane : public QWidget {
 public:
  using Dispatch = std::function<void(int id)>;
  // `source`'s review and rows are the window's, read as the pane draws.
  ReviewPane(QWidget* parent, ReviewSource source, Dispatch command);

  // The review was replaced by a new run's.
  void ShowNew();
  // A choice, or its undo, changed group `group` in place: it stays
  // selected, on member `member` (or the one now in its place).
  void ShowGroupChanged(std::size_t group, std::size_t member);
  // Group `group` left the review: the group now on its row is selected.
  void ShowGroupRemoved(std::size_t group);
  // Group `group` came back on row `row`, selected on member `member`.
  void ShowGroupRestored(std::size_t group, int row, std::size_t member);
  // Whether a choice can be taken back (its button, and Ctrl+Z in the review).
  void SetUndoable(bool undoable);
  // A thumbnail came in: what shows it is drawn again.
  void ThumbnailArrived();
  // A run works: no choice can be made until its end.
  void SetWorking(bool working);
  // How many groups and files the review's earlier decisions hid from the
  // search shown, with the button that forgets them (none: both hidden).
  void ShowHidden(std::size_t groups, std::size_t files);

  // The selected group's index among the review's groups, and its row.
  int currentGroup() const;
  int currentRow() const;
  int currentMember() const;
  QTableView* groupList() const { return groups_; }
  QListView* memberView() const { return members_; }
  QLabel* summary() const { return summary_; }
  QLabel* hiddenLine() const { return hidden_; }
  QLabel* skippedLine() const { return skipped_; }
  // The list of the pictures the search left out, opened or brought up.
  void OpenSkippedList();
  QPushButton* button(int id) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SelectRow(int row, std::size_t member);
  // After a choice the keys go on where they were: on the group list, or
  // else on the files.
  void KeepFocus();
  void ShowSummary();
  // How many pictures the review's search left out, with the button to list them.
  void ShowSkipped();
  void SizeGroupList();
  void EnableButtons();
  // Ctrl+Z taken from the window's undo of the extraction while a choice can be taken back.
  bool TakeUndoKey(QEvent* event);

  ReviewSource source_;
  Dispatch command_;
  GroupListModel* groupModel_;
  MemberModel* memberModel_;
  QTableView* groups_;
  QListView* members_;
  QLabel* summary_;
  QLabel* hidden_;
  QPushButton* forget_;
  QLabel* skipped_;
  QPushButton* listSkipped_;
  QPointer<SkippedList> skippedList_;  // open while the user keeps it
  QPushButton* buttons_[5];
  bool working_ = false;
  bool undoable_ = false;
};

}  // namespace pictray::twinscan
