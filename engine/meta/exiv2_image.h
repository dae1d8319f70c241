// The libexiv2 image of a file, of the class the detector's kind names:
// the library never detects a type again, and reads the file its caller
// opened.
#pragma once

#include <exiv2/image.hpp>

#include <memory>
#include <string>

#include "engine/fs/read_only_file.h"
#include "engine/marks/file_kind.h"

namespace pictray::meta {

// Null for a kind libexiv2 does not read here, and for a file whose
// structure the library must not be handed (bounded_walks.h). `path` names
// the file in the library's messages.
std::unique_ptr<Exiv2::Image> OpenExiv2Image(const fs::ReadOnlyFile& file, const std::string& path,
                                             marks::FileKind kind);

}  // namespace pictray::meta
