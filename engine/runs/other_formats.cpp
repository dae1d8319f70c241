#include "engine/runs/other_formats.h"

#include "engine/fs/read_only_file.h"
#include "engine/jpeg/exif_reader.h"
#include "engine/jpeg/header_check.h"
#include "engine/jpeg/jpeg_decode.h"
#include "engine/meta/media_label.h"
#include "engine/meta/whole_file.h"
#include "engine/names/name_date.h"

namespace pictray {

// The JPEG readers answer first: "" is their answer for a file that is not
// a JPEG, and only then is another format tried, on the same open file.

namespace {

std::string ExifLabelOnly(const fs::ReadOnlyFile& file, const std::string& path, const JpegSettings& settings) {
  std::string label = ExifTimeGet2(file, settings.ExifSel, settings.disabledchar, settings.ExifOrderTag);
  if (!label.empty() || !settings.AllFormats) return label;
  const meta::MediaInfo info = meta::ReadMediaInfo(file, path, meta::PixelSize::Skip);
  if (info.format == marks::FileKind::None) return label;
  return meta::MediaExifLabel(info, settings.ExifSel, settings.disabledchar, settings.ExifOrderTag);
}

// The readers' labels of a picture or video in which they found no date
// (a file they cannot read keeps its "file_error").
bool FoundNoDate(const std::string& label) {
  for (const char* none : {"NoExif", "NoJFIF", "NoEntry", "no support", "NoData"})
    if (label == none) return true;
  return label.starts_with("NoData(");
}

}  // namespace

std::string ExifLabelAnyFormat(const fs::ReadOnlyFile& file, const std::string& path, const JpegSettings& settings,
                               std::string* notes) {
  if (notes) notes->clear();
  const std::string label = ExifLabelOnly(file, path, settings);
  if (!(settings.NameDate || settings.FileDate) || !FoundNoDate(label)) return label;
  std::optional<std::string> date;
  const char* from = "NameDate";
  if (settings.NameDate) date = DateFromName(path.substr(path.rfind('/') + 1));
  if (!date && settings.FileDate) {
    date = DateOfFileTime(static_cast<std::time_t>(file.mtime()));
    from = "FileDate";
  }
  const std::optional<std::string> dated = date ? DateLabel(*date, settings.ExifSel, settings.disabledchar) : std::nullopt;
  if (!dated) return label;
  if (notes) *notes = from;
  return *dated;
}

std::string SizeLabelAnyFormat(const fs::ReadOnlyFile& file, const std::string& path, const JpegSettings& settings) {
  std::string label = GetJpegImageSize(file);
  if (!label.empty() || !settings.AllFormats || JpegHedarCheck(file) == "JPEG") return label;
  return meta::MediaSizeLabel(meta::ReadMediaInfo(file, path));
}

std::string NgVerdictAnyFormat(const fs::ReadOnlyFile& file, const std::string& path, const JpegSettings& settings,
                               const ScanProgress& progress) {
  std::string verdict = NgVerdict(file, settings.ng, progress);
  if (verdict.empty() || !settings.AllFormats || JpegHedarCheck(file) == "JPEG") return verdict;
  const meta::MediaInfo info = meta::ReadMediaInfo(file, path, meta::PixelSize::Skip);
  if (info.format == marks::FileKind::None) return meta::NamedAsFormatReadHere(path) ? verdict : std::string();
  if (info.readable && meta::FileWhole(file, info.format)) return {};
  return verdict;
}

}  // namespace pictray
