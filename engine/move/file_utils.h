// Small file-system helpers shared by the window, the runs and the dialogs.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace pictray {

// An existing folder (links followed).
bool IsFolder(const std::string& path);
// Anything at all under that name, a dangling link included.
bool PathExists(const std::string& path);

// Cuts `path` at its last "/" (the separator goes too). A path whose only
// "/" is its first character, or that has none, is left as it is.
void PathFoldaRemove(std::string& path);

// Names here are already their long names: 1 when the path exists (left as
// it is), 0 when it does not.
int ShortToLongName(std::string& path);

// What a file dialog of the settings dialogs starts with; the window shows
// the dialog, writes the choice into its edit and the path, and returns 0 on
// OK, 1 on cancel.
struct FileDialogSetup {
  bool save = false;  // mode 2
  std::string start;  // folder or file the dialog opens at ("" = its default)
  std::vector<std::pair<std::string, std::string>> filters;  // label, pattern
};
// Programs: "*.exe" and "*.*", starting at `path` when it is a folder, else
// at `programFile`.
FileDialogSetup FoldaSetting(int mode, const std::string& path, const std::string& programFile);
// Text lists: "*.txt" and "*.*", starting at `path` when it is a folder.
FileDialogSetup FoldaSettingT(int mode, const std::string& path);
// One filter "*.exe", starting at the edit's path, or at its parent when
// that path is an empty folder.
FileDialogSetup FoldaSetting0(int mode, const std::string& editPath);

// Token k (0-11) of `text` split at ":" / "_"; "" when there is none.
std::string get_Pdata(const std::string& text, int k);
std::string get_Pdata2(const std::string& text, int k);

// Size of the file opened for reading; 0 when it cannot be opened.
std::uint64_t GetFileSizeSub(const std::string& path);
// Size as the folder listing gives it (any size); 0 when not found or not a file.
std::uint64_t GetFileSizeFind(const std::string& path);

// Lines of 12 pixels that fit a client area of this height.
int GetLineCount(int clientHeight);

struct BreakResult {
  int moved = 0;    // files now in the parent
  int skipped = 0;  // a file or folder of that name is in the parent already
  int failed = 0;   // could not be moved (permissions, another file system, ...)
};
// Moves every entry of `folder` that is not a folder into its parent, under
// the same name, never replacing anything there. Subfolders stay.
BreakResult BreakFolda(const std::string& folder);

}  // namespace pictray
