// The grid cells of rgb=CELLS and partcolor=LISTFILE@CELLS, and the
// program's libthumbkit.so (beside it, or in PREFIX/lib/pictray) the colour
// runs draw pictures through.
#include <dlfcn.h>

#include <algorithm>
#include <vector>

#include "cli/pictray/cli_steps.h"
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

ThumbnailLibrary::~ThumbnailLibrary() {
  if (handle_) ::dlclose(handle_);
}

bool ThumbnailLibrary::Load(const std::string& folder, PictrayState& st, std::string* error) {
  const std::string path = folder + "/libthumbkit.so";
  handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* why = ::dlerror();
    *error = "cannot load the thumbnail library " + path + ": " + (why ? why : "unknown reason");
    return false;
  }
  st.MMI = reinterpret_cast<MakeMinImageFn>(::dlsym(handle_, "MakeMinImage"));
  if (!st.MMI) {
    *error = "the thumbnail library " + path + " has no MakeMinImage";
    return false;
  }
  // An older library without them draws each cell on its own, each call
  // within a budget of its own.
  st.MMIs = reinterpret_cast<MakeMinImagesFn>(::dlsym(handle_, "MakeMinImages"));
  st.PictureRows = reinterpret_cast<PictureRowsFn>(::dlsym(handle_, "PictureRows"));
  st.MMIWithin = reinterpret_cast<MakeMinImageWithinFn>(::dlsym(handle_, "MakeMinImageWithin"));
  st.MMIsWithin = reinterpret_cast<MakeMinImagesWithinFn>(::dlsym(handle_, "MakeMinImagesWithin"));
  st.PictureRowsWithin = reinterpret_cast<PictureRowsWithinFn>(::dlsym(handle_, "PictureRowsWithin"));
  return true;
}

}  // namespace pictray::cli
