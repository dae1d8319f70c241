// The groups a search found, as the review shows them and the extraction
// takes them: each group is one kept file and the files that are the same
// as it, byte for byte or as a picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/list/twin_table.h"

namespace pictray {

// The phases of the search for the same pictures, after the listing.
enum class SearchPhase {
  Measuring,  // each picture's thumbnails and hash, read or taken from the cache
  Comparing,  // the pictures whose hashes are near, compared
};

}  // namespace pictray

namespace pictray::dupes {

// A picture's format, in the order the keep rule prefers them: a camera's
// raw file before a lossless one, before HEIF, JPEG and WebP.
enum class PictureKind : std::uint8_t { Raw, Lossless, Heif, Jpeg, WebP, Other };

// What the review shows of one file and the keep rule weighs; all zero or
// empty when the file is no picture or cannot be read.
struct PictureFacts {
  int width = 0, height = 0;  // as shown, the Orientation tag applied
  std::string dateTaken;      // "YYYY:MM:DD HH:MM:SS", or ""
  PictureKind kind = PictureKind::Other;
  // A camera original: a HEIF, raw or JPEG still whose Exif names the camera
  // (make or model) and the date taken (DateTimeOriginal).
  bool camera = false;
  bool operator==(const PictureFacts&) const = default;
};

// How a file is the same as its group's kept file.
struct Likeness {
  bool identical = true;  // byte for byte; the measures below then say nothing
  int distance = 0;       // bits apart of the two pictures' hashes
  double correlation = 1.0;     // of the aligned thumbnails' detail, -1..1
  int commonAreaPercent = 100;  // of the larger picture's area, both aligned
  bool operator==(const Likeness&) const = default;
};

struct TwinMember {
  std::size_t row = 0;  // in the table the groups were found in
  Likeness likeness;    // against the kept member (the kept one: identical)
  bool operator==(const TwinMember&) const = default;
};

// Why a group's kept file stays: the first step of the keep rule that put
// it before the next best member of its group, and the values that step
// compared, [0] the kept file's and [1] the other's. The front ends word it
// (texts/).
struct KeepReason {
  KeepCriterion criterion = KeepCriterion::None;
  bool dateTaken[2]{};  // Date: the value is the date taken (else the modification time)
  // Companions: Companion bits. Size: bytes. Format: PictureKind. Date: the
  // best date as wall-clock seconds since 1970-01-01 00:00:00 (as if UTC).
  // Name: the names' lengths in bytes (equal: their bytes decided). Folder:
  // the index of the rule's folder step (KeepRule::steps).
  std::int64_t value[2]{};
  // Date: the nanoseconds past the value's second, which decide between
  // copies made within one second.
  std::int32_t nanoseconds[2]{};
  std::int32_t width[2]{}, height[2]{};  // Pixels, as shown
  bool operator==(const KeepReason&) const = default;
};

// A wall-clock time in seconds since 1970-01-01 00:00:00 (KeepReason's
// dates) as its calendar date and time of day (proleptic Gregorian).
struct CivilTime {
  std::int64_t year;
  int month, day, hour, minute, second;
};
inline CivilTime CivilOfWallSeconds(std::int64_t seconds) {
  std::int64_t days = seconds / 86400, rest = seconds % 86400;
  if (rest < 0) rest += 86400, --days;
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t doe = days - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {yoe + era * 400 + (month <= 2), month, static_cast<int>(doy - (153 * mp + 2) / 5 + 1),
          static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60)};
}

struct TwinGroup {
  std::vector<TwinMember> members;  // two or more, the kept one first as found
  std::size_t kept = 0;             // index into members
  KeepReason why;                   // filled once the group is found (dupes::ExplainGroups)
  bool operator==(const TwinGroup&) const = default;
};

// Why the search for the same pictures left a picture out: it was never
// compared, so it is in no group whatever it holds.
enum class SkipReason : std::uint8_t {
  Unreadable,      // the thumbnail library could not draw it (damaged, cut short, unreadable)
  TooLarge,        // drawing it would cost more than the run's memory or work allows
  FormatNotDrawn,  // a picture of a format the search does not draw (camera raw, JPEG XL, ...)
};

struct SkippedPicture {
  std::size_t row = 0;  // in the table the search ran on
  SkipReason reason = SkipReason::Unreadable;
  bool operator==(const SkippedPicture&) const = default;
};

// A review choice that lasts (engine/dupes/decisions.h): member `member`
// of `group` (the group as it was when chosen) is not the same as its kept
// file, or, without a member, no file of the group is.
struct ReviewDecision {
  TwinGroup group;
  std::optional<std::size_t> member;
};

// What a search hands the review: its groups, the facts of the table's
// rows (by row; empty when the search read none) and the pictures it left
// out, in row order.
struct TwinReview {
  std::vector<TwinGroup> groups;
  std::vector<PictureFacts> facts;
  std::vector<SkippedPicture> skipped;
};

}  // namespace pictray::dupes
