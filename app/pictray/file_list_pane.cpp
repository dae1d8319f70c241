#include "app/pictray/file_list_pane.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDateTime>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>
#include <memory>

#include "app/common/control_factory.h"
#include "app/common/text_bytes.h"
#include "app/pictray/list_models.h"
#include "app/pictray/popup_menu.h"
#include "app/pictray/program_launcher.h"
#include "engine/fs/paths.h"
#include "engine/run/command_ids.h"
#include "engine/settings/settings_keys.h"

namespace pictray::app {
namespace {

// How long the desktop's file manager may take to answer the properties request.
constexpr int kFileManagerTimeoutMs = 3000;

QUrl FileUrlOf(const std::string& path) {
  return QUrl::fromEncoded("file://" + QByteArray::fromStdString(path).toPercentEncoding("/"));
}

// Asks the desktop's file manager to show its properties window of `path`.
bool FileManagerShowsProperties(const std::string& path) {
  QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                                                     "org.freedesktop.FileManager1", "ShowItemProperties");
  call << QStringList{QString::fromLatin1(FileUrlOf(path).toEncoded())} << QString();
  const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, kFileManagerTimeoutMs);
  return reply.type() == QDBusMessage::ReplyMessage;
}

// What the properties show when no file manager answers.
QString OwnPropertiesText(const std::string& path) {
  const QFileInfo file(ui::TextOf(path));
  if (!file.exists()) return QCoreApplication::translate("Pictray", "ファイルがありません: %1").arg(ui::TextOf(path));
  const QLocale locale;
  return QCoreApplication::translate("Pictray", "名称: %1\nフォルダ: %2\n種類: %3\nサイズ: %4 バイト\n更新日時: %5")
      .arg(file.fileName(), file.absolutePath(), QMimeDatabase().mimeTypeForFile(file).comment(),
           locale.toString(file.size()), locale.toString(file.lastModified(), QLocale::ShortFormat));
}

}  // namespace

std::string PathOfRow(const std::string& folder, const Row& row) {
  if (row.kind == kind::Moved && !row.target.empty()) return JoinPath(JoinPath(folder, row.target), row.name);
  return JoinPath(folder, row.name);
}

FileListPane::FileListPane(FileList& rows, FileListModel* model, PaneLinks links, QWidget* parent)
    : QWidget(parent), rows_(rows), model_(model), links_(std::move(links)) {
  setObjectName("child1");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  LV01 = new QTableView(this);
  LV01->setObjectName("LV01");
  LV01->setAccessibleName(QCoreApplication::translate("Pictray", "ファイル一覧"));
  LV01->setModel(model_);
  LV01->setSelectionBehavior(QAbstractItemView::SelectRows);
  LV01->setSelectionMode(QAbstractItemView::ExtendedSelection);
  LV01->setEditTriggers(QAbstractItemView::NoEditTriggers);
  LV01->verticalHeader()->setDefaultSectionSize(18);
  LV01->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  LV01->verticalHeader()->hide();
  LV01->setWordWrap(false);
  LV01->setShowGrid(false);
  LV01->horizontalHeader()->setSectionsClickable(true);
  LV01->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  LV01->horizontalHeader()->setStretchLastSection(true);
  const int widths[] = {300, 300, 100, 120};
  for (int c = 0; c < 4; ++c) LV01->setColumnWidth(c, widths[c]);
  // Drops go on to the main window, which takes the dropped folder.
  LV01->setAcceptDrops(false);
  LV01->viewport()->setAcceptDrops(false);
  LV01->setContextMenuPolicy(Qt::CustomContextMenu);
  layout->addWidget(LV01);

  // A list filled afresh stands in name order again: no sort to show.
  connect(model_, &QAbstractItemModel::modelReset, this,
          [this] { LV01->horizontalHeader()->setSortIndicatorShown(false); });
  connect(LV01, &QTableView::customContextMenuRequested, this, &FileListPane::ShowPopup);
  // The preview follows the current row, whether a click, a key or a search moved it.
  connect(LV01->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& now) {
    if (now.isValid()) links_.command(cmd::Preview, 0);
  });
  connect(LV01, &QTableView::doubleClicked, this, [this] { PopupCommand(Open); });
}

long FileListPane::SelectedRow() const {
  long first = -1;
  for (const QModelIndex& i : LV01->selectionModel()->selectedRows())
    if (first < 0 || i.row() < first) first = i.row();
  return first;
}

long FileListPane::CurrentRow() const {
  const QModelIndex current = LV01->currentIndex();
  return current.isValid() ? current.row() : -1;
}

void FileListPane::ShowSortIndicator(int column, int SortBit) {
  QHeaderView* header = LV01->horizontalHeader();
  header->setSortIndicatorShown(true);
  header->setSortIndicator(column, SortBit == 1 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

QMenu* FileListPane::BuildPopup() {
  if (model_->rowCount() == 0) return nullptr;
  const std::string app = ReadSetting(env_, key::app, links_.files.profile);
  const QIcon appIcon = ui::ProgramIcon(ui::TextOf(app), ui::TextOf(links_.programDir), links_.ownIcon);
  return MakePopupMenu(
      this, "popupLV01",
      {{Open, "open",
        appIcon.isNull()
            ? ui::GlyphIcon(QCoreApplication::translate("Pictray", "開", "icon letters"), QColor(70, 130, 180), 16)
            : appIcon},
       {SetClear, "Set Clear", ui::GlyphIcon("✕", QColor(150, 150, 150), 16)},
       {PartColor, "Part Color", ui::GlyphIcon("▦", QColor(200, 120, 40), 16)},
       {AllColor, "All Color", ui::GlyphIcon("■", QColor(60, 150, 60), 16)},
       {Rgb, "RGB", ui::GlyphIcon("R", QColor(200, 60, 60), 16)},
       {Property, "Property", ui::GlyphIcon("i", QColor(90, 90, 160), 16)}},
      [this](int id) { PopupCommand(id); });
}

void FileListPane::ShowPopup(const QPoint& at) {
  std::unique_ptr<QMenu> menu(BuildPopup());
  if (menu) menu->exec(LV01->viewport()->mapToGlobal(at));
}

void FileListPane::PopupCommand(int id) {
  if (SelectedRow() < 0) return;
  switch (id) {
    case Open: OpenSelected(); break;
    case SetClear: ClearSelectedTarget(); break;
    case PartColor: links_.command(cmd::PartColour, 0); break;
    case AllColor: links_.command(cmd::AllColour, 0); break;
    case Rgb: links_.command(cmd::RgbAnalysis, 1); break;
    case Property: ShowProperties(); break;
    default: break;
  }
}

std::string FileListPane::SelectedPath() const {
  const long row = SelectedRow();
  if (row < 0) return {};
  return PathOfRow(links_.listedFolder(), rows_.row(static_cast<std::size_t>(row)));
}

void FileListPane::OpenSelected() {
  shellOpenSub(window(), ReadSetting(env_, key::app, links_.files.profile), SelectedPath(), links_.programDir);
}

void FileListPane::ClearSelectedTarget() {
  const long row = SelectedRow();
  rows_.setTarget(static_cast<std::size_t>(row), "", "");
  model_->RefreshAll();
}

void FileListPane::ShowProperties() {
  const std::string path = SelectedPath();
  if (FileManagerShowsProperties(path)) return;
  QMessageBox::information(this, "Property", OwnPropertiesText(path));
}

}  // namespace pictray::app
