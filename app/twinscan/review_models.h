// The review's two views over the groups a search found: the list of groups
// and the files of the selected one, side by side. Both read the window's
// review and table as they draw; thumbnails come from the drawer, asked for
// only as a row is drawn.
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

  // The table's row `row`, or null when the table no longer has it.
  const dupes::FileRec* Row(std::size_t row) const;
  // The facts of row `row`; empty ones when the search read none.
  dupes::PictureFacts Facts(std::size_t row) const;
  std::uint64_t Size(std::size_t row) const;
  // The bytes the surplus copies of group `g` take.
  std::uint64_t SurplusBytes(const dupes::TwinGroup& g) const;
};

// 1,234 (grouped by thousands in either language).
QString Count(std::uint64_t n);
// 512 bytes, 12.3 KB, 4.5 MB.
QString SizeText(std::uint64_t bytes);
// How copy `member` of `group` differs from the kept file, in the window's
// words: "同一ファイル", or e.g. "小さい、92%に切り抜き、同じ画像のHEIC".
QString DifferenceText(const ReviewSource& source, const dupes::TwinGroup& group, std::size_t member);

class GroupListModel : public QAbstractTableModel {
 public:
  enum Column { kFiles, kKept, kSurplus, kColumnCount };
  GroupListModel(ReviewSource source, int thumbnailEdge, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // The groups changed (a choice, or a new review).
  void Reset();
  // A thumbnail came in.
  void Redraw();

 private:
  ReviewSource source_;
  QPixmap waiting_;  // where a thumbnail still being drawn goes
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
