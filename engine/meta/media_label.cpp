#include "engine/meta/media_label.h"

#include "engine/jpeg/exif_reader.h"

namespace pictray::meta {
namespace {

const std::optional<std::string>& Chosen(const MediaInfo& info, ExifSource source) {
  static const std::optional<std::string> none;
  switch (source) {
    case ExifSource::DateTime: return info.dateTime;
    case ExifSource::DateTimeOriginal: return info.dateTimeOriginal;
    case ExifSource::Model: return info.model;
    case ExifSource::Software: return info.software;
    case ExifSource::None: break;
  }
  return none;
}

}  // namespace

std::string MediaExifLabel(const MediaInfo& info, const std::string& ExifSel,
                           const std::string& disabledchar, bool orderTag) {
  if (!info.readable) return "file_error";
  if (!info.hasExif) return "NoExif";
  const ExifChoice choice = ChooseExifValue(ExifSel);
  const std::optional<std::string>& found = Chosen(info, choice.source);
  if (!found || found->empty()) return "NoData";
  const std::string v = found->substr(0, choice.length);
  // As in a JPEG: a creation date needs the date's colons, or it is not
  // found; a modification date with other characters is NoData with the
  // byte order.
  if (choice.source == ExifSource::DateTimeOriginal && (found->size() < 8 || (*found)[4] != ':' || (*found)[7] != ':'))
    return "NoData";
  if (choice.source == ExifSource::DateTime && !ExifDateCharsOk(v))
    return ExifValueLabel("NoData", info.littleEndian, orderTag, disabledchar);
  return ExifValueLabel(v, info.littleEndian, orderTag, disabledchar, choice.nested);
}

std::string MediaSizeLabel(const MediaInfo& info) {
  if (info.width <= 0 || info.height <= 0) return {};
  return std::to_string(info.width) + "X" + std::to_string(info.height);
}

}  // namespace pictray::meta
