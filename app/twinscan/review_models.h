// The review's two views over the groups a search found: the list of groups
// and the files of the selected one, side by side. Both read the window's
// review and table as they draw; thumbnails come from the drawer, asked for
// only as a row is drawn. The group list holds no more than the order of
// the groups, so a search of many thousands of groups is shown at once.
#pragma once

#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <QPixmap>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/dupes/groups.h"
#include "engine/list/twin_groups.h"
#include "engine/list/twin_table.h"

namespace pictray::twinscan {

class ThumbnailDrawer;

// What the review draws from: the groups as the user left them and the
// table their rows index.
struct ReviewSource {
  const dupes::TwinReview* review = nullptr;
  const std::vector<dupes::FileRec>* rows = nullptr;
  ThumbnailDrawer* thumbnails = nullptr;
  const dupes::KeepRule* rule = nullptr;  // the rule that kept them: its folders name a folder step

  // The table's row `row`, or null when the table no longer has it.
  const dupes::FileRec* Row(std::size_t row) const;
  // The facts of row `row`; empty ones when the search read none.
  dupes::PictureFacts Facts(std::size_t row) const;
  std::uint64_t Size(std::size_t row) const;
  // The bytes the surplus copies of group `g` take.
  std::uint64_t SurplusBytes(const dupes::TwinGroup& g) const;
  // The kept file of `g` is a reference folder's, which stays kept.
  bool KeptIsReference(const dupes::TwinGroup& g) const;
};

// 1,234 (grouped by thousands in either language).
QString Count(std::uint64_t n);
// 512 bytes, 12.3 KB, 4.5 MB.
QString SizeText(std::uint64_t bytes);
// Why the kept file of `group` stays, in the window's language:
// "コピーの印なし", "画素数が多い 4032x3024 > 1600x1200", ...
QString KeptReasonText(const ReviewSource& source, const dupes::TwinGroup& group);
// How copy `member` of `group` differs from the kept file, in the window's
// words: "同一ファイル", or e.g. "小さい、92%に切り抜き、同じ画像のHEIC".
QString DifferenceText(const ReviewSource& source, const dupes::TwinGroup& group, std::size_t member);

// The groups, one a row, in an order of their own: sorted by a column's
// values, and kept as it is while choices change or remove groups, so
// that the list does not move under the user.
class GroupListModel : public QAbstractTableModel {
 public:
  enum Column { kFiles, kKept, kSurplus, kColumnCount };
  GroupListModel(ReviewSource source, int thumbnailEdge, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // By the numbers of the files, the kept file's name or the surplus
  // bytes; rows of equal values keep their order.
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
  // A new review: every group, in the order last sorted by.
  void Reset();
  // Group `group` changed in place.
  void Changed(std::size_t group);
  // Group `group` left the review (the groups after it moved up one).
  void Removed(std::size_t group);
  // Group `group` came back (the groups from it on moved down one) on row `row`.
  void Restored(std::size_t group, int row);
  // The group shown on `row`, and the row of `group`; -1 when none.
  int GroupAt(int row) const;
  int RowOf(std::size_t group) const;
  // A thumbnail came in.
  void Redraw();

 private:
  void Sort();

  ReviewSource source_;
  QPixmap waiting_;  // where a thumbnail still being drawn goes
  std::vector<std::size_t> order_;  // the group of each row
  int sortColumn_ = kSurplus;
  Qt::SortOrder sortOrder_ = Qt::DescendingOrder;
};

class MemberModel : public QAbstractListModel {
 public:
  MemberModel(ReviewSource source, int thumbnailEdge, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  // Shows group `group` (-1: none).
  void ShowGroup(int group);
  int group() const { return group_; }
  void Redraw();
  // The lines under a member's thumbnail.
  QStringList Lines(std::size_t member) const;

 private:
  const dupes::TwinGroup* Group() const;

  ReviewSource source_;
  QPixmap waiting_;
  int group_ = -1;
};

}  // namespace pictray::twinscan
