#include "engine/names/name_date.h"

#include <gtest/gtest.h>

#include "engine/jpeg/exif_reader.h"

namespace pictray {
namespace {

// The names phones, messaging apps and screenshot tools give copies without
// Exif, and names that only look like them.
TEST(NameDate, DatesOfTheNamesCopiesAreGiven) {
  struct Case {
    const char* name;
    const char* date;  // nullptr: none
  };
  const Case cases[] = {
      {"IMG-20230614-WA0005.jpg", "2023:06:14"},
      {"PXL_20230614_101112345.jpg", "2023:06:14 10:11:12"},
      {"IMG_20230614_101112.jpg", "2023:06:14 10:11:12"},
      {"Screenshot_20230614-101112.png", "2023:06:14 10:11:12"},
      {"Screenshot 2023-06-14 at 10.11.12.png", "2023:06:14 10:11:12"},
      {"signal-2023-06-14-101112.jpg", "2023:06:14 10:11:12"},
      {"VID_20230614_101112.mp4", "2023:06:14 10:11:12"},
      {"2023-06-14 10.11.12.jpg", "2023:06:14 10:11:12"},
      {"20240229_x.jpg", "2024:02:29"},
      {"IMG_20230614_251112.jpg", "2023:06:14"},  // no hour 25: the day alone
      {"IMG_1234.jpg", nullptr},
      {"20231399_x.jpg", nullptr},  // month 13
      {"20230229_x.jpg", nullptr},  // no leap year
      {"09012345678.jpg", nullptr},  // a phone number
      {"+81 90-1234-5678.jpg", nullptr},
      {"2023061412.jpg", nullptr},  // ten digits
      {"2023-06-1412.jpg", nullptr},
      {"2023-06_14.jpg", nullptr},  // mixed separators
      {"19691231.jpg", nullptr},
      {"", nullptr},
  };
  for (const Case& c : cases) {
    const std::optional<std::string> d = DateFromName(c.name);
    if (c.date)
      EXPECT_EQ(d, std::optional<std::string>(c.date)) << c.name;
    else
      EXPECT_EQ(d, std::nullopt) << c.name;
  }
}

// The label such a date gets: the ExifSel's, cut where the date ends, no
// byte order; nothing for a selection of no date.
TEST(NameDate, LabelsFollowTheSelection) {
  struct Case {
    const char* date;
    const char* ExifSel;
    std::optional<std::string> label;
  };
  const Case cases[] = {
      {"2023:06:14 10:11:12", "1", "2023_06_14"},   {"2023:06:14 10:11:12", "12", "2023_06_14 10_11_12"},
      {"2023:06:14", "12", "2023_06_14"},           {"2023:06:14 10:11:12", "16", "2023_06"},
      {"2023:06:14 10:11:12", "18", "2023/06"},     {"2023:06:14", "19", "2023/06/14"},
      {"2023:06:14 10:11:12", "21", "2023/06/14"},  {"2023:06:14", "5", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(DateLabel(c.date, c.ExifSel, "/:,;*?\"<>|."), c.label) << c.date << " " << c.ExifSel;
}

}  // namespace
}  // namespace pictray
