// The review: the groups a search found, and the files of the selected one
// side by side with their thumbnails, where the user chooses what stays
// before anything moves. The choices themselves are the window's commands;
// the pane shows the window's review and sends their ids.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "app/twinscan/review_models.h"

class QLabel;
class QListView;
class QPushButton;
class QTableView;

namespace pictray::twinscan {

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
  // A choice changed the groups: group `group`, member `member` stay selected
  // (or the ones now in their places).
  void ShowChanged(int group, int member);
  // A thumbnail came in: what shows it is drawn again.
  void ThumbnailArrived();
  // A run works: no choice can be made until its end.
  void SetWorking(bool working);

  int currentGroup() const;
  int currentMember() const;
  QTableView* groupList() const { return groups_; }
  QListView* memberView() const { return members_; }
  QLabel* summary() const { return summary_; }
  QPushButton* button(int id) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Select(int group, int member);
  void ShowSummary();
  void FitGroupList();
  void EnableButtons();

  ReviewSource source_;
  Dispatch command_;
  GroupListModel* groupModel_;
  MemberModel* memberModel_;
  QTableView* groups_;
  QListView* members_;
  QLabel* summary_;
  QPushButton* buttons_[4];
  bool working_ = false;
};

}  // namespace pictray::twinscan
