// The Exif label of one JPEG file: a date, model or software text followed
// by the TIFF byte order, or one of the fixed labels "file_error", "",
// "NoJFIF", "NoExif", "no support", "NoEntry", "NoData".
//
// Three layouts are looked for first (Exif APP1 right after the start of
// image, or after a JFIF APP0 with the identifier at offset 24 or 32); when
// none holds, the segments are walked from the start (at most 64 KiB and 64
// segments, up to the first scan) to the first Exif APP1, read as the first
// layout is. Every offset the reader follows is
// 16-bit, so apart from the creation-date scan (which streams the file in
// blocks and stops at the first usable DateTimeOriginal entry) it touches
// only the head of the file up to the IFD0 entries it walks. Anything outside the
// file counts as absent; nothing is read past the end.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "engine/fs/read_only_file.h"

namespace pictray {

// `ExifSel` is the setting's text (1-4, 11, 14, 15, 20, 21 DateTime; 5
// Model; 6 Software; 7-10, 12, 13, 16-19 DateTimeOriginal; anything else
// walks IFD0; 18-21 give year/month(/day) as nested folders); the value is passed through GetFoldaName with `disabledchar`
// before the byte order suffix is added (left off when `orderTag` is
// false).
std::string ExifTimeGet2(const fs::ReadOnlyFile& file, const std::string& ExifSel,
                         const std::string& disabledchar, bool orderTag = true);

// The same reader over a whole file held in memory.
std::string ExifTimeGet2Bytes(std::string_view file, const std::string& ExifSel,
                              const std::string& disabledchar, bool orderTag = true);

// The value an `ExifSel` labels a file by, and how many of its characters
// are kept. The rules of the reader above, for readers of other formats.
enum class ExifSource { DateTime, DateTimeOriginal, Model, Software, None };
struct ExifChoice {
  ExifSource source;
  std::size_t length;
  bool nested = false;  // the date's parts as nested folders ("2023/06")
};
ExifChoice ChooseExifValue(const std::string& ExifSel);

// A kept date may hold only digits and ':' (the blank at 10 aside).
bool ExifDateCharsOk(const std::string& v);

// A found value as a label: sanitised (a date `nested`: each part of it),
// then "(II)"/"(MM)" when `orderTag`.
std::string ExifValueLabel(const std::string& value, bool littleEndian, bool orderTag,
                           const std::string& disabledchar, bool nested = false);

// "2023:06" as the folders "2023/06", each part sanitised as a folder name;
// empty unless every part is digits.
std::string NestedDateFolders(const std::string& date, const std::string& disabledchar);

// The label `ExifSel` gives a date found outside the Exif (in the name, the
// file time; Exif's form, "YYYY:MM:DD" or with the time): cut as an Exif
// date is, or where the date ends, without a byte order. Nothing when
// `ExifSel` does not choose a date.
std::optional<std::string> DateLabel(const std::string& date, const std::string& ExifSel,
                                     const std::string& disabledchar);

}  // namespace pictray
