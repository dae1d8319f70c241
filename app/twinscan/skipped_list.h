// The pictures the search for the same pictures left out, each with why:
// a window of its own beside the review, so that none is left out silently.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>

#include "app/twinscan/review_models.h"

namespace pictray::twinscan {

// The review's skipped pictures, one a row: the file's path and why.
class SkippedModel : public QAbstractTableModel {
 public:
  enum Column { kFile, kWhy, kColumnCount };
  SkippedModel(ReviewSource source, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  ReviewSource source_;
};

// "比べなかった画像 12 件": how many the search left out.
QString SkippedCountText(std::size_t count);
// Why a picture was left out, in the window's words.
QString SkipReasonText(dupes::SkipReason reason);

// The list of the review's skipped pictures; it reads the review as it
// stands, so a new review closes it.
class SkippedList : public QDialog {
 public:
  SkippedList(QWidget* parent, ReviewSource source);
};

}  // namespace pictray::twinscan
