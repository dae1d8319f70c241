// The date a file's name carries, as phones, messaging apps and screenshot
// tools write it: IMG-20230614-WA0005.jpg, PXL_20230614_101112345.jpg,
// Screenshot 2023-06-14 at 10.11.12.png, signal-2023-06-14-101112.jpg...
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace pictray {

// The first date in the name, in Exif's form: "YYYY:MM:DD", or
// "YYYY:MM:DD HH:MM:SS" when a time follows it. A date is eight digits
// (YYYYMMDD) or YYYY-MM-DD (also with "_" or "."), standing apart from
// other digits, of a real day of the years 1970 to 2099; a time is six
// digits (milliseconds may follow) or HH.MM.SS (also with "-", "_", ":"),
// after one separator (or " at "). Nothing for any other name.
std::optional<std::string> DateFromName(std::string_view name);

// A file time as a local date in Exif's form "YYYY:MM:DD HH:MM:SS".
std::optional<std::string> DateOfFileTime(std::time_t t);

}  // namespace pictray
