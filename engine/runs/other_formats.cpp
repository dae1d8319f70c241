#include "engine/runs/other_formats.h"

#include "engine/jpeg/exif_reader.h"
#include "engine/jpeg/header_check.h"
#include "engine/jpeg/jpeg_decode.h"
#include "engine/meta/media_label.h"

namespace pictray {

// The JPEG readers answer first: "" is their answer for a file that is not
// a JPEG, and only then is another format tried.

std::string ExifLabelAnyFormat(const std::string& path, const JpegSettings& settings) {
  std::string label = ExifTimeGet2(path, settings.ExifSel, settings.disabledchar, settings.ExifOrderTag);
  if (!label.empty() || !settings.AllFormats) return label;
  const meta::MediaInfo info = meta::ReadMediaInfo(path, meta::PixelSize::Skip);
  if (info.format == meta::Format::None) return label;
  return meta::MediaExifLabel(info, settings.ExifSel, settings.disabledchar, settings.ExifOrderTag);
}

std::string SizeLabelAnyFormat(const std::string& path, const JpegSettings& settings) {
  std::string label = GetJpegImageSize(path);
  if (!label.empty() || !settings.AllFormats || JpegHedarCheck(path) == "JPEG") return label;
  return meta::MediaSizeLabel(meta::ReadMediaInfo(path));
}

std::string NgVerdictAnyFormat(const std::string& path, const JpegSettings& settings,
                               const ScanProgress& progress) {
  std::string verdict = NgVerdict(path, settings.ng, progress);
  if (verdict.empty() || !settings.AllFormats || JpegHedarCheck(path) == "JPEG") return verdict;
  const meta::MediaInfo info = meta::ReadMediaInfo(path, meta::PixelSize::Skip);
  if (info.format == meta::Format::None || info.readable) return {};
  return verdict;
}

}  // namespace pictray
