// The Exif, size and NG labels of any file: a JPEG through the JPEG
// readers, exactly as always; any other file, when "AllFormats" is on,
// through engine/meta.
#pragma once

#include <string>

#include "engine/fs/read_only_file.h"
#include "engine/jpeg/ng_check.h"
#include "engine/runs/jpeg_runs.h"

namespace pictray {

// Each reads `file`, opened at `path` by the caller: every reader works on
// that one open file (the path gives only the file's name).
// With "NameDate" or "FileDate" on, a file the readers find without a date
// is labelled by its name's date or its time; `notes` (may be null) then
// takes which ("NameDate", "FileDate"), else nothing.
std::string ExifLabelAnyFormat(const fs::ReadOnlyFile& file, const std::string& path, const JpegSettings& settings,
                               std::string* notes = nullptr);
std::string SizeLabelAnyFormat(const fs::ReadOnlyFile& file, const std::string& path, const JpegSettings& settings);
// "NG" or ""; a file of a format read through engine/meta is "NG" when it
// cannot be read or does not hold what its structure promises, a file
// named as a format read here that holds none is "NG", any other file of
// no format read here never is.
std::string NgVerdictAnyFormat(const fs::ReadOnlyFile& file, const std::string& path, const JpegSettings& settings,
                               const ScanProgress& progress);

}  // namespace pictray
