// The preview square of the selected file, drawn by the thumbnail library.
#pragma once

#include <QImage>

#include <string>

#include "thumbkit/thumbkit.h"

namespace pictray::app {

// The picture at `path` (bytes) fitted into an edge x edge square on white;
// a file that cannot be drawn gives a black square with a white square one
// pixel inside it.
QImage MakePreview(MakeMinImageFn MMI, const std::string& path, int edge);

}  // namespace pictray::app
