#include "engine/colour/buckets.h"

#include <algorithm>

namespace pictray {
namespace {

BucketTable MakeTable(bool sixtyFour) {
  const int levels = sixtyFour ? 4 : 3;
  const int n = levels * levels * levels;
  const char* letters = sixtyFour ? kLetters64 : kLetters27;
  BucketTable t{sixtyFour, {}};
  t.entries.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const char code[4] = {char('0' + i / (levels * levels)), char('0' + i / levels % levels),
                          char('0' + i % levels), '\0'};
    t.entries.push_back({code, letters[i], 0});
  }
  return t;
}

}  // namespace

int CalcA(int x) { return x < 100 ? 0 : x < 200 ? 1 : 2; }

int CalcA64(int x) { return (x + 99) / 100; }

int CalcB(int r, int g, int b) { return r * 9 + g * 3 + b; }

int CalcB64(int r, int g, int b) { return r * 16 + g * 4 + b; }

BucketTable InitRgbWork() { return MakeTable(false); }

BucketTable InitRgbWork64() { return MakeTable(true); }

void CountBuckets(const PixelWindow& window, BucketTable& table) {
  const int last = static_cast<int>(table.entries.size()) - 1;
  for (std::uint32_t i = 0; i < window.height; ++i)
    for (std::uint32_t j = 0; j < window.width; ++j) {
      const Rgb c = window.At(j, i);
      const int bucket = table.sixtyFour ? CalcB64(CalcA64(c.r), CalcA64(c.g), CalcA64(c.b))
                                         : CalcB(CalcA(c.r), CalcA(c.g), CalcA(c.b));
      if (bucket != 0 && bucket != last) ++table.entries[static_cast<std::size_t>(bucket)].count;
    }
}

void SortBuckets(BucketTable& table, bool ascending) {
  std::stable_sort(table.entries.begin(), table.entries.end(), [ascending](const RgbBucket& a, const RgbBucket& b) {
    return ascending ? a.count < b.count : a.count > b.count;
  });
}

void charsort(std::string& s, std::size_t n) {
  const auto end = s.begin() + static_cast<std::ptrdiff_t>(std::min(n, s.size()));
  std::sort(s.begin(), end, [](char a, char b) { return static_cast<signed char>(a) < static_cast<signed char>(b); });
}

}  // namespace pictray
