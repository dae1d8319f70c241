#include "app/twinscan/review_models.h"

#include <QBrush>
#include <QCollator>
#include <QColor>
#include <QCoreApplication>
#include <QFont>
#include <QLocale>
#include <algorithm>
#include <iterator>
#include <numeric>

#include "app/common/language.h"
#include "app/common/text_bytes.h"
#include "app/twinscan/thumbnail_drawer.h"
#include "texts/texts.h"

namespace pictray::twinscan {
namespace {

using ui::TextOf;

// A text marked for translation elsewhere.
QString Tr(const char* text) { return QCoreApplication::translate("Twinscan", text); }

QPixmap Waiting(int edge) {
  QPixmap pm(edge, edge);
  pm.fill(QColor(0xee, 0xee, 0xee));
  return pm;
}

// "JPG" of "x.jpg"; "" without an extension.
QString FormatOf(const std::string& filename) {
  const std::size_t dot = filename.rfind('.');
  return dot == std::string::npos || dot == 0 ? QString() : TextOf(filename.substr(dot + 1)).toUpper();
}

// The folder a file was listed under, with "/": its own folder, or in a
// search of subfolders its root, which its name goes on from.
QString RootFolderOf(const dupes::FileRec& r) {
  if (r.path.size() > r.filename.size() && r.path.ends_with(r.filename))
    return TextOf(r.path.substr(0, r.path.size() - r.filename.size()));
  const std::size_t slash = r.path.rfind('/');
  return slash == std::string::npos ? QString() : TextOf(r.path.substr(0, slash + 1));
}

// "2024:05:01 10:20:30" as "2024-05-01 10:20:30".
QString DateText(const std::string& taken) {
  QString text = TextOf(taken);
  if (text.size() >= 10) {
    text[4] = '-';
    text[7] = '-';
  }
  return text;
}

}  // namespace

const dupes::FileRec* ReviewSource::Row(std::size_t row) const {
  return rows && row < rows->size() ? &(*rows)[row] : nullptr;
}

dupes::PictureFacts ReviewSource::Facts(std::size_t row) const {
  return row < review->facts.size() ? review->facts[row] : dupes::PictureFacts{};
}

std::uint64_t ReviewSource::Size(std::size_t row) const {
  const dupes::FileRec* r = Row(row);
  return r ? static_cast<std::uint64_t>(r->identity.size) : 0;
}

bool ReviewSource::KeptIsReference(const dupes::TwinGroup& g) const {
  const dupes::FileRec* kept = Row(g.members[g.kept].row);
  return kept && kept->reference;
}

std::uint64_t ReviewSource::SurplusBytes(const dupes::TwinGroup& g) const {
  std::uint64_t bytes = 0;
  for (std::size_t m = 0; m < g.members.size(); ++m)
    if (m != g.kept) bytes += Size(g.members[m].row);
  return bytes;
}

QString Count(std::uint64_t n) { return QLocale(QLocale::English).toString(static_cast<qulonglong>(n)); }

QString SizeText(std::uint64_t bytes) {
  if (bytes < 1024) return QCoreApplication::translate("Twinscan", "%1 バイト").arg(bytes);
  static const char* const units[] = {"KB", "MB", "GB", "TB"};
  double size = static_cast<double>(bytes) / 1024;
  std::size_t unit = 0;
  for (; size >= 1024 && unit + 1 < std::size(units); ++unit) size /= 1024;
  return QString("%1 %2").arg(QLocale(QLocale::English).toString(size, 'f', 1), units[unit]);
}

QString KeptReasonText(const ReviewSource& source, const dupes::TwinGroup& group) {
  return TextOf(texts::Words(group.why, ui::WindowLanguage(), source.rule));
}

QString DifferenceText(const ReviewSource& source, const dupes::TwinGroup& group, std::size_t member) {
  const dupes::TwinMember& m = group.members[member];
  if (m.likeness.identical) return QCoreApplication::translate("Twinscan", "同一ファイル");
  const dupes::Difference d =
      dupes::DifferenceOf(source.Facts(group.members[group.kept].row), source.Facts(m.row), m.likeness);
  QStringList parts;
  if (d.smaller) parts << QCoreApplication::translate("Twinscan", "小さい");
  if (d.larger) parts << QCoreApplication::translate("Twinscan", "大きい");
  if (d.croppedPercent > 0) parts << QCoreApplication::translate("Twinscan", "%1%に切り抜き").arg(d.croppedPercent);
  const dupes::FileRec* r = source.Row(m.row);
  if (d.otherFormat && r) parts << QCoreApplication::translate("Twinscan", "同じ画像の%1").arg(FormatOf(r->filename));
  return parts.isEmpty() ? QCoreApplication::translate("Twinscan", "似た画像") : parts.join(QCoreApplication::translate("Twinscan", "、"));
}

GroupListModel::GroupListModel(ReviewSource source, int thumbnailEdge, QObject* parent)
    : QAbstractTableModel(parent), source_(source), waiting_(Waiting(thumbnailEdge)) {}

int GroupListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

int GroupListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant GroupListModel::data(const QModelIndex& index, int role) const {
  const int group = index.isValid() ? GroupAt(index.row()) : -1;
  if (group < 0) return {};
  const dupes::TwinGroup& g = source_.review->groups[static_cast<std::size_t>(group)];
  const dupes::FileRec* kept = source_.Row(g.members[g.kept].row);
  switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
      if (index.column() == kFiles) return Count(g.members.size());
      if (index.column() == kKept) return kept ? TextOf(kept->filename) : QString();
      return SizeText(source_.SurplusBytes(g));
    case Qt::DecorationRole: {
      if (index.column() != kKept || !kept) return {};
      const Thumbnail* t = source_.thumbnails->Find(kept->path);
      return t ? t->small : waiting_;
    }
    case Qt::ToolTipRole: {
      if (!kept) return {};
      const QString why = KeptReasonText(source_, g);
      if (why.isEmpty()) return TextOf(kept->path);
      return TextOf(kept->path) + "\n" + QCoreApplication::translate("Twinscan", "理由: %1").arg(why);
    }
    case Qt::TextAlignmentRole:
      return int(Qt::AlignVCenter | (index.column() == kKept ? Qt::AlignLeft : Qt::AlignRight));
    default:
      return {};
  }
}

QVariant GroupListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (role == Qt::TextAlignmentRole)
    return int(Qt::AlignVCenter | (section == kKept ? Qt::AlignLeft : Qt::AlignRight));
  // A first click on a column of numbers puts the largest first.
  if (role == Qt::InitialSortOrderRole) return int(section == kKept ? Qt::AscendingOrder : Qt::DescendingOrder);
  if (role != Qt::DisplayRole) return {};
  static const char* const names[kColumnCount] = {QT_TRANSLATE_NOOP("Twinscan", "件数"),
                                                   QT_TRANSLATE_NOOP("Twinscan", "残すファイル"),
                                                   QT_TRANSLATE_NOOP("Twinscan", "余分の大きさ")};
  return section >= 0 && section < kColumnCount ? Tr(names[section]) : QVariant();
}

void GroupListModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= kColumnCount) return;
  sortColumn_ = column;
  sortOrder_ = order;
  // The selection and the current row stay on their groups.
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<std::size_t> groupsBefore;
  for (const QModelIndex& i : before) groupsBefore.push_back(order_[static_cast<std::size_t>(i.row())]);
  Sort();
  std::vector<int> rowOf(order_.size());
  for (std::size_t row = 0; row < order_.size(); ++row) rowOf[order_[row]] = static_cast<int>(row);
  QModelIndexList after;
  for (qsizetype i = 0; i < before.size(); ++i)
    after << index(rowOf[groupsBefore[static_cast<std::size_t>(i)]], before[i].column());
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// Each group's value is taken once, then the rows are sorted on it.
void GroupListModel::Sort() {
  const std::vector<dupes::TwinGroup>& groups = source_.review->groups;
  const bool descending = sortOrder_ == Qt::DescendingOrder;
  if (sortColumn_ == kKept) {
    // The C locale's collator compares code points and ignores the numeric
    // mode: English then, whose order of names is the usual one.
    QCollator collator(QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale());
    collator.setNumericMode(true);  // IMG_9 before IMG_10
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QString> names(groups.size());
    for (std::size_t g = 0; g < groups.size(); ++g)
      if (const dupes::FileRec* r = source_.Row(groups[g].members[groups[g].kept].row)) names[g] = TextOf(r->filename);
    std::stable_sort(order_.begin(), order_.end(), [&](std::size_t a, std::size_t b) {
      const int c = collator.compare(names[a], names[b]);
      return descending ? c > 0 : c < 0;
    });
    return;
  }
  std::vector<std::uint64_t> values(groups.size());
  for (std::size_t g = 0; g < groups.size(); ++g)
    values[g] = sortColumn_ == kFiles ? groups[g].members.size() : source_.SurplusBytes(groups[g]);
  std::stable_sort(order_.begin(), order_.end(), [&](std::size_t a, std::size_t b) {
    return descending ? values[a] > values[b] : values[a] < values[b];
  });
}

void GroupListModel::Reset() {
  beginResetModel();
  order_.resize(source_.review->groups.size());
  std::iota(order_.begin(), order_.end(), std::size_t{0});
  Sort();
  endResetModel();
}

void GroupListModel::Changed(std::size_t group) {
  const int row = RowOf(group);
  if (row >= 0) emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
}

void GroupListModel::Removed(std::size_t group) {
  const int row = RowOf(group);
  if (row < 0) return;
  beginRemoveRows({}, row, row);
  order_.erase(order_.begin() + row);
  for (std::size_t& g : order_)
    if (g > group) --g;
  endRemoveRows();
}

void GroupListModel::Restored(std::size_t group, int row) {
  row = std::clamp(row, 0, rowCount());
  beginInsertRows({}, row, row);
  for (std::size_t& g : order_)
    if (g >= group) ++g;
  order_.insert(order_.begin() + row, group);
  endInsertRows();
}

int GroupListModel::GroupAt(int row) const {
  return row >= 0 && static_cast<std::size_t>(row) < order_.size() &&
                 order_[static_cast<std::size_t>(row)] < source_.review->groups.size()
             ? static_cast<int>(order_[static_cast<std::size_t>(row)])
             : -1;
}

int GroupListModel::RowOf(std::size_t group) const {
  const auto found = std::find(order_.begin(), order_.end(), group);
  return found == order_.end() ? -1 : static_cast<int>(found - order_.begin());
}

void GroupListModel::Redraw() {
  if (rowCount() > 0) emit dataChanged(index(0, kKept), index(rowCount() - 1, kKept), {Qt::DecorationRole});
}

MemberModel::MemberModel(ReviewSource source, int thumbnailEdge, QObject* parent)
    : QAbstractListModel(parent), source_(source), waiting_(Waiting(thumbnailEdge)) {}

const dupes::TwinGroup* MemberModel::Group() const {
  const auto& groups = source_.review->groups;
  return group_ >= 0 && static_cast<std::size_t>(group_) < groups.size() ? &groups[static_cast<std::size_t>(group_)]
                                                                         : nullptr;
}

int MemberModel::rowCount(const QModelIndex& parent) const {
  const dupes::TwinGroup* g = Group();
  return parent.isValid() || !g ? 0 : static_cast<int>(g->members.size());
}

QStringList MemberModel::Lines(std::size_t member) const {
  const dupes::TwinGroup& g = *Group();
  const std::size_t row = g.members[member].row;
  const dupes::FileRec* r = source_.Row(row);
  if (!r) return {};
  const dupes::PictureFacts facts = source_.Facts(row);
  QString size = SizeText(source_.Size(row));
  if (facts.width > 0 && facts.height > 0) size += QString("  %1 × %2").arg(facts.width).arg(facts.height);
  QStringList lines{TextOf(r->filename), RootFolderOf(*r), size};
  if (!facts.dateTaken.empty()) lines << DateText(facts.dateTaken);
  if (member != g.kept) {
    lines << DifferenceText(source_, g, member);
    return lines;
  }
  if (r->reference)
    lines << QCoreApplication::translate("Twinscan", "★ 残すファイル（参照フォルダ）");
  else
    lines << QCoreApplication::translate("Twinscan", "★ 残すファイル");
  // The step of the keep rule that decided; a reference file's is said above.
  const QString why = KeptReasonText(source_, g);
  if (!why.isEmpty() && g.why.criterion != dupes::KeepCriterion::Reference)
    lines << QCoreApplication::translate("Twinscan", "理由: %1").arg(why);
  return lines;
}

QVariant MemberModel::data(const QModelIndex& index, int role) const {
  const dupes::TwinGroup* g = Group();
  if (!g || !index.isValid() || static_cast<std::size_t>(index.row()) >= g->members.size()) return {};
  const std::size_t member = static_cast<std::size_t>(index.row());
  const bool kept = member == g->kept;
  switch (role) {
    case Qt::DisplayRole:
      return Lines(member).join('\n');
    case Qt::AccessibleTextRole:
      return Lines(member).join(", ");
    case Qt::DecorationRole: {
      const dupes::FileRec* r = source_.Row(g->members[member].row);
      const Thumbnail* t = r ? source_.thumbnails->Find(r->path) : nullptr;
      return t ? t->large : waiting_;
    }
    case Qt::ToolTipRole: {
      const dupes::FileRec* r = source_.Row(g->members[member].row);
      return r ? TextOf(r->path) : QVariant();
    }
    case Qt::FontRole: {
      QFont font;
      font.setBold(kept);
      return font;
    }
    case Qt::BackgroundRole:
      return kept ? QBrush(QColor(0xff, 0xf3, 0xc4)) : QVariant();
    case Qt::TextAlignmentRole:  // the lines right under the picture, however many
      return int(Qt::AlignHCenter | Qt::AlignTop);
    default:
      return {};
  }
}

void MemberModel::ShowGroup(int group) {
  beginResetModel();
  group_ = group;
  endResetModel();
}

void MemberModel::Redraw() {
  if (rowCount() > 0) emit dataChanged(index(0), index(rowCount() - 1), {Qt::DecorationRole});
}

}  // namespace pictray::twinscan
