// What a picture's header says before its pixels are drawn: its size as
// stored, how the Orientation tag turns it for showing, and the facts the
// review and the keep rule take.
#pragma once

#include <string>

#include "engine/fs/env.h"
#include "engine/list/twin_groups.h"

namespace pictray::similar {

struct PictureShape {
  bool picture = false;                   // a still of a format the search reads
  bool otherFormat = false;               // a still by its header, of a format the search does not draw
  int storedWidth = 0, storedHeight = 0;  // as the thumbnail library draws it
  // The turn still to apply to the drawn pixels (as Exif Orientation, 1..8).
  int orientation = 1;
  dupes::PictureFacts facts;  // the size as shown
};

PictureShape ReadPictureShape(const fs::Env& env, const std::string& path);

}  // namespace pictray::similar
