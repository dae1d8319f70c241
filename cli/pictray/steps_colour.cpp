// The grid cells of rgb=CELLS and partcolor=LISTFILE@CELLS, and the
// program's libthumbkit.so (beside it, or in PREFIX/lib/pictray) the colour
// runs draw pictures through.

#include <algorithm>
#include <vector>

#include "cli/pictray/cli_steps.h"
#include "engine/runs/colour_runs.h"
#include "engine/settings/profile.h"

namespace pictray::cli {

bool ParseCells(const std::string& text, int partX, std::vector<int>* cells, std::string* error) {
  const int count = partX * partX;
  if (text == "all") {
    for (int k = 1; k <= count; ++k) cells->push_back(k);
    return true;
  }
  std::size_t at = 0;
  while (at <= text.size()) {
    const std::size_t comma = std::min(text.find(',', at), text.size());
    const std::string item = text.substr(at, comma - at);
    const bool digits = !item.empty() && item.size() <= 2 && item.find_first_not_of("0123456789") == std::string::npos;
    const int k = digits ? ProfileNumber(item) : 0;
    if (k < 1 || k > count) {
      *error = "cell '" + item + "' is not a number from 1 to " + std::to_string(count);
      return false;
    }
    cells->push_back(k);
    at = comma + 1;
  }
  return true;
}

bool LoadThumbnails(const std::string& folder, ThumbnailLibrary& library, PictrayState& st, std::string* error) {
  const std::string path = folder + "/libthumbkit.so";
  std::string why;
  if (!library.Load(path, &why)) {
    *error = "cannot load the thumbnail library " + path + ": " + why;
    return false;
  }
  DrawThrough(st, library.calls());
  return true;
}

}  // namespace pictray::cli
