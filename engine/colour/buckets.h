// Level buckets of the ratio classification: each channel reduced to 3 or
// 4 levels, the 27 or 64 resulting buckets counted, ranked and lettered.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/colour/pixel_window.h"

namespace pictray {

// Bucket letters by bucket index. In the 64 alphabet the first and the last
// are both a space; those two buckets (black, white) are never counted.
inline constexpr char kLetters27[] = "0ABCDEFGHIJKLMNOPQRSTUVWXYZ";
inline constexpr char kLetters64[] = " 0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ ";

// CalcA: 0 for 0..99, 1 for 100..199, 2 for 200..255.
int CalcA(int x);
// CalcA64: 0 for 0 only, 1 for 1..100, 2 for 101..200, 3 for 201..255.
int CalcA64(int x);
// Bucket index of three levels, red first: r*9 + g*3 + b, r*16 + g*4 + b.
int CalcB(int r, int g, int b);
int CalcB64(int r, int g, int b);

struct RgbBucket {
  std::string code;  // the three levels as digits, red first ("201")
  char letter = ' ';
  int count = 0;
  bool operator==(const RgbBucket&) const = default;
};

// The buckets of one resolution. After ranking the place of an entry is its
// rank; `code` keeps the bucket it is.
struct BucketTable {
  bool sixtyFour = false;
  std::vector<RgbBucket> entries;
};

// InitRgbWork / InitRgbWork64: every bucket in index order with its code
// and letter, counts 0.
BucketTable InitRgbWork();
BucketTable InitRgbWork64();

// The counting half of GetRGBBunrui: every pixel of the window adds 1 to its
// bucket, except the all-dark and the all-light bucket of the resolution
// (27: below 100 / 200 or more in every channel; 64: 0 / above 200), which
// hold the black and white a thumbnail's padding and borders are made of.
void CountBuckets(const PixelWindow& window, BucketTable& table);

// comp / comp64: ranks the buckets by count, most first or (ascending)
// least first. Equal counts keep their order, the lower bucket first.
void SortBuckets(BucketTable& table, bool ascending);

// charsort: sorts the first n characters of s by their signed byte value,
// smallest first (space, digits, upper case, lower case).
void charsort(std::string& s, std::size_t n);

}  // namespace pictray
