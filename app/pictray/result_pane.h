// Child window 2: the move results LV02 (with their popup menu), the summary
// LV03, the three option toggles, the preview square, the button that opens
// the folder after a move, the button of the outside program, and the help
// of the name patterns.
#pragma once

#include <QWidget>

#include <cstddef>
#include <string>
#include <vector>

#include "app/pictray/pane_links.h"
#include "engine/run/run_host.h"
#include "engine/settings/settings_keys.h"

class QImage;
class QLabel;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace pictray::app {

class ResultPane : public QWidget {
  Q_OBJECT
 public:
  enum PopupId { AppOpen1 = 4001, AppOpen2 = 4002, ClearAll = 4003, ReadSet = 4004, BreakFoldaId = 4005 };

  ResultPane(PaneLinks links, QWidget* parent);

  QTreeWidget* LV02 = nullptr;
  QTreeWidget* LV03 = nullptr;
  QPushButton* CK20 = nullptr;  // 解析終了後すぐ移動する (MoveOn)
  QPushButton* CK21 = nullptr;  // black Back
  QPushButton* CK22 = nullptr;  // 読込み時作成日セット (ReadDay)
  QPushButton* BT21 = nullptr;  // 移動後のフォルダを開く, shown after a move
  QPushButton* BT22 = nullptr;  // starts the outside program relay.exe
  QLabel* ST01 = nullptr;       // GRST01: the one-folder indicator of the strength run
  QLabel* ST21 = nullptr;       // icon of the program of "app3"

  bool blackBack() const;
  // One row of the move results (row `index`, added when it is new).
  void SetMoveResult(std::size_t index, const MoveResultLine& line);
  // The summary list's rows: each target with its count.
  void SetSummary(const std::vector<SummaryLine>& lines);
  // Removes the rows whose folder is no longer there (after an undo).
  void DropGoneMoveResults();
  void ShowPreview(const QImage& square);
  // The icon of "app3" as the working copy has it now.
  void RefreshApp3Icon();
  // The popup of LV02 with its five entries; nullptr without a selected row.
  QMenu* BuildPopup();
  void PopupCommand(int id);
  // The height the pane starts with in the splitter.
  QSize sizeHint() const override;

 signals:
  void blackBackChanged(bool on);

 protected:
  void contextMenuEvent(QContextMenuEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  QWidget* BuildToggles();
  QWidget* BuildHelp();
  // Writes a toggle's key into both settings files at once.
  void StoreToggle(const SettingKey& k, bool on);
  void Colour(QTreeWidgetItem* item) const;
  void RecolourResults();
  // The "パス" of a result row as the file system's bytes.
  static constexpr int kPathRole = Qt::UserRole;  // LV02's line: its folder's path bytes
  static constexpr int kTargetRole = Qt::UserRole + 1;  // and the target's bytes ("2023/06")
  static std::string PathOf(const QTreeWidgetItem* item);
  QTreeWidgetItem* FirstSelected() const;
  // Whether the row's folder is still there; if not, says so and drops the row.
  bool FolderStillThere(QTreeWidgetItem* item);
  void OpenWith(const SettingKey& app);
  void ClearAllResults();
  void ListAfresh();
  void BreakSelectedFolders();
  void StartRelay();
  // BT22 shows its caption only where the help lines keep their room.
  void FitRelayCaption();

  PaneLinks links_;
  const fs::Env& env_ = fs::DefaultEnv();
  QLabel* preview_ = nullptr;
  QString relayCaption_;
};

}  // namespace pictray::app
