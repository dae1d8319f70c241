// The folders Twinscan's window searches: the two lists and the toggle of
// the subfolders, kept in Twinscan.ini, taken as the search's when it
// starts; and the review's lasting decisions, forgotten on demand.
#include <QCheckBox>
#include <QCoreApplication>
#include <algorithm>
#include <cstring>

#include "app/common/control_factory.h"
#include "app/common/message_box.h"
#include "app/common/text_bytes.h"
#include "app/twinscan/file_table_model.h"
#include "app/twinscan/folder_list.h"
#include "app/twinscan/review_pane.h"
#include "app/twinscan/twinscan_window.h"
#include "engine/dupes/decisions.h"
#include "engine/dupes/twinscan_profile.h"
#include "engine/fs/paths.h"
#include "engine/runs/twinscan_commands.h"

namespace pictray::twinscan {
namespace {

using ui::TextOf;

// A folder as typed, dropped or chosen made whole, without a trailing "/".
std::string WholeFolder(const std::string& given) {
  std::string folder = AbsolutePath(given);
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::vector<std::string> WholeFolders(const std::vector<std::string>& given) {
  std::vector<std::string> folders;
  for (const std::string& g : given) {
    if (g.empty()) continue;
    const std::string folder = WholeFolder(g);
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
  }
  return folders;
}

}  // namespace

void TwinscanWindow::ShowLibrary() {
  const dupes::TwinscanLibrary library = dupes::ReadTwinscanLibrary(*val_.env, profile);
  // Whole from the start: the deleter runs in the program's folder. The
  // folder a start is given is searched alone, against the references kept.
  c_.folderList->SetPaths(szlpCmdLine.empty() ? library.folders
                                              : std::vector<std::string>{WholeFolder(RemoveQuotes(szlpCmdLine))});
  c_.referenceList->SetPaths(library.references);
  c_.subfoldersBox->setChecked(library.subfolders);
  const std::vector<std::string> folders = c_.folderList->Paths();
  TargetFolda = folders.empty() ? "" : folders.front();
}

void TwinscanWindow::UseLists() {
  val_.folders = c_.folderList->Paths();
  val_.references = c_.referenceList->Paths();
  val_.subfolders = c_.subfoldersBox->isChecked();
  TargetFolda = val_.folders.empty() ? "" : val_.folders.front();
}

bool TwinscanWindow::TakeLists() {
  if (c_.folderList->count() == 0) {
    ui::MessageBox1Q(this, QCoreApplication::translate("Twinscan", "探すフォルダを「＋」かドロップで加えてください"),
                     Button::Err, Button::Err);
    c_.folderList->setFocus();
    return false;
  }
  for (FolderList* list : {c_.folderList, c_.referenceList})
    for (const std::string& folder : list->Paths()) {
      if (IsFolder(*val_.env, folder)) continue;
      ui::MessageBox1Q(this, QCoreApplication::translate("Twinscan", "フォルダがありません: %1").arg(TextOf(folder)),
                       Button::Err, Button::Err);
      list->Select(folder);
      list->setFocus();
      return false;
    }
  UseLists();
  return true;
}

void TwinscanWindow::SearchFolders() {
  if (running_ || closing_ || !TakeLists()) return;
  c_.model->clear();
  ClearLists();
  sameButtonsOn_ = true;
  StartRun(cmd::FindCopies, false);
}

void TwinscanWindow::DropFolders(const std::vector<std::string>& paths, bool reference) {
  if (TwinscanRefused(cmd::FindCopies, running_) || closing_) return;
  FolderList* list = reference ? c_.referenceList : c_.folderList;
  for (const std::string& path : paths) {
    const std::string folder = WholeFolder(path);
    if (!IsFolder(*val_.env, folder)) {
      ui::MessageBox1Q(this, QCoreApplication::translate("Twinscan", "フォルダがありません: %1").arg(TextOf(path)),
                       Button::Err, Button::Err);
      return;
    }
    list->Add(folder);
  }
  SaveLibrary();
  // A library dropped before any folder to search waits for one.
  if ((reference && c_.folderList->count() == 0) || !TakeLists()) return;
  c_.model->clear();
  ClearLists();
  sameButtonsOn_ = true;
  StartRun(cmd::FindCopies);
}

void TwinscanWindow::AddFolder(FolderList* list) {
  if (running_) return;
  const std::vector<std::string> listed = list->Paths();
  const std::string start = listed.empty() ? TargetFolda : listed.back();
  const QString chosen = ui::SHBDlg(this, TextOf(start));
  if (chosen == "cancel") return;
  list->Add(WholeFolder(ui::BytesOf(chosen)));
  SaveLibrary();
}

void TwinscanWindow::RemoveFolders(FolderList* list) {
  if (running_ || !list->RemoveSelected()) return;
  SaveLibrary();
}

void TwinscanWindow::TakeEditedFolders() {
  for (FolderList* list : {c_.folderList, c_.referenceList}) {
    const int row = list->currentRow();
    list->SetPaths(WholeFolders(list->Paths()));
    list->setCurrentRow(std::min(row, list->count() - 1));
  }
  SaveLibrary();
}

void TwinscanWindow::SetSubfolders() {
  SaveLibrary();
  OfferSearchAgain(c_.subfoldersBox->isChecked()
                       ? QCoreApplication::translate("Twinscan", "サブフォルダも探すようにしました。%1 をもう一度探しますか？")
                       : QCoreApplication::translate("Twinscan", "サブフォルダは探さないようにしました。%1 をもう一度探しますか？"));
}

void TwinscanWindow::SaveLibrary() {
  const dupes::TwinscanLibrary library{c_.folderList->Paths(), c_.referenceList->Paths(),
                                       c_.subfoldersBox->isChecked()};
  if (!dupes::WriteTwinscanLibrary(*val_.env, profile, library))
    ui::MessageBox1Q(this, QCoreApplication::translate("Twinscan", "設定ファイルに書き込めません: %1").arg(TextOf(profile)),
                     Button::Err, Button::Err);
}

void TwinscanWindow::ForgetDecisions() {
  if (running_) return;
  const std::string store = dupes::DecisionsPath(*val_.env, "twinscan");
  const std::size_t count = dupes::CountDecisions(*val_.env, store);
  const QString question = QCoreApplication::translate(
      "Twinscan", "「同じではない」「グループごと外す」で選んだ %1 件の判断を忘れますか？ 隠していたファイルが次に探すときにまた表示されます");
  if (ui::MessageBox1Q(this, question.arg(count), Button::Ok, Button::DoNot) != 6) return;
  if (const int e = dupes::ForgetDecisions(*val_.env, store); e != 0) {
    ui::MessageBox1Q(this,
                     QCoreApplication::translate("Twinscan", "判断を忘れられません: %1 (%2)")
                         .arg(TextOf(store), TextOf(std::strerror(e))),
                     Button::Err, Button::Err);
    return;
  }
  reviewPane_->ShowHidden(0, 0);
  OfferSearchAgain(QCoreApplication::translate("Twinscan", "判断を忘れました。%1 をもう一度探しますか？"));
}

}  // namespace pictray::twinscan
