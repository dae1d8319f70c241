#include "app/pictray/list_models.h"

#include <QCoreApplication>

#include "app/common/text_bytes.h"
#include "engine/colour/rgb_name.h"
#include "engine/runs/run_commands.h"

namespace pictray::app {

std::optional<QColor> ColourOfText(const std::string& text) {
  int values[3] = {0, 0, 0};
  std::size_t at = 0;
  for (int c = 0; c < 3; ++c) {
    if (c > 0 && (at >= text.size() || text[at++] != '_')) return std::nullopt;
    const std::size_t start = at;
    while (at < text.size() && at - start < 3 && text[at] >= '0' && text[at] <= '9')
      values[c] = values[c] * 10 + (text[at++] - '0');
    if (at == start || values[c] > 255) return std::nullopt;
  }
  if (at != text.size()) return std::nullopt;
  return QColor(values[0], values[1], values[2]);
}

std::optional<QColor> RowColour(const Row& row) {
  if (row.by == cmd::RgbStrength) return ColourOfText(row.notes);
  if ((row.kind == KindOf(cmd::AllColour) || row.kind == KindOf(cmd::RgbRatio)) && isRGB(row.target) == 1)
    return ColourOfText(row.target);
  return std::nullopt;
}

FileListModel::FileListModel(const FileList& rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows) {}

int FileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(count_);
}

int FileListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 4; }

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= count_) return {};
  const auto r = static_cast<std::size_t>(index.row());
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
    return ui::TextOf(index.column() == 3 ? ShownNotes(rows_.row(r)) : rows_.cell(r, index.column()));
  if (role != Qt::ForegroundRole && role != Qt::BackgroundRole) return {};
  const std::optional<QColor> colour = RowColour(rows_.row(r));
  if (role == Qt::BackgroundRole) return colour && blackback_ ? QColor(Qt::black) : QColor(Qt::white);
  return colour ? *colour : QColor(Qt::black);
}

QVariant FileListModel::headerData(int section, Qt::Orientation o, int role) const {
  if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kTitles[] = {QT_TRANSLATE_NOOP("Pictray", "名称"),
                                        QT_TRANSLATE_NOOP("Pictray", "移動先フォルダ"),
                                        QT_TRANSLATE_NOOP("Pictray", "パターン 種別"), "notes"};
  return section >= 0 && section < 4 ? QCoreApplication::translate("Pictray", kTitles[section]) : QVariant();
}

void FileListModel::SetItemCount(std::size_t count) {
  if (count == count_) return;
  if (count > count_) {
    beginInsertRows(QModelIndex(), static_cast<int>(count_), static_cast<int>(count - 1));
    count_ = count;
    endInsertRows();
  } else {
    beginResetModel();
    count_ = count;
    endResetModel();
  }
}

void FileListModel::SetBlackBack(bool on) {
  blackback_ = on;
  RefreshAll();
}

void FileListModel::RefreshAll() {
  if (count_ > 0) emit dataChanged(index(0, 0), index(static_cast<int>(count_) - 1, 3));
}

}  // namespace pictray::app
