#include "engine/colour/exact_colour.h"

#include <algorithm>
#include <bit>
#include <cstdio>

namespace pictray {

std::string ColourKey(std::uint32_t rgb) {
  char key[16];
  std::snprintf(key, sizeof key, "%03u:%03u:%03u", rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
  return key;
}

std::size_t ExactColourTable::Slot(std::uint32_t rgb) const {
  const std::size_t mask = keys_.size() - 1;
  // Fibonacci hashing: the product's top bits depend on every channel.
  std::size_t i = (rgb * 0x9E3779B1u) >> (32 - std::countr_zero(keys_.size()));
  while (keys_[i] != kNoColour && keys_[i] != rgb) i = (i + 1) & mask;
  return i;
}

void ExactColourTable::Grow() {
  keys_.assign(2 * keys_.size(), kNoColour);
  places_.resize(keys_.size());
  for (std::uint32_t k = 0; k < samples_.size(); ++k) {
    const std::size_t i = Slot(samples_[k].rgb);
    keys_[i] = samples_[k].rgb;
    places_[i] = k;
  }
}

void ExactColourTable::Count(const PixelWindow& window, bool pixelPass,
                             const std::function<void(std::uint32_t)>& rowDone) {
  const std::uint32_t first = pixelPass ? 1 : 0, step = pixelPass ? 2 : 1;
  for (std::uint32_t i = first; i < window.height; i += step) {
    if (rowDone) rowDone(i);
    for (std::uint32_t j = first; j < window.width; j += step) {
      const Rgb c = window.At(j, i);
      const std::uint32_t rgb = std::uint32_t(c.r) << 16 | std::uint32_t(c.g) << 8 | std::uint32_t(c.b);
      const std::size_t slot = Slot(rgb);
      if (keys_[slot] == rgb) {
        int& count = samples_[places_[slot]].count;
        if (count < kColourCountCap) ++count;
        continue;
      }
      if (samples_.size() >= samcount_) break;
      keys_[slot] = rgb;
      places_[slot] = static_cast<std::uint32_t>(samples_.size());
      samples_.push_back({rgb, 1});
      if (2 * samples_.size() > keys_.size()) Grow();
    }
  }
}

std::string SacrchMaxIndex2(const ExactColourTable& table, const MaxSearch& search) {
  const std::vector<ColorSample>& samples = table.samples();
  const std::size_t end = std::min(samples.size(), search.walkLimit);
  std::string best = kUnmeasured;
  int bestCount = 1;
  for (std::size_t i = 0; i < end; ++i) {
    if (samples[i].count <= bestCount) continue;
    const std::string key = ColourKey(samples[i].rgb);
    if (search.Exec255bit && key == "255:255:255") continue;
    if (search.Exec000bit && key == "000:000:000") continue;
    if (search.ExecOWNbit && key == search.ExecRGB) continue;
    best = key;
    bestCount = samples[i].count;
  }
  return best;
}

std::string CellSampler::CountCell(std::size_t i, ExactColourTable& table,
                                   const std::function<void(std::uint32_t)>& rowDone) {
  const int drawn = ThumbnailAnswer(cells_.Draw(i), cells_.jpeg());
  if (drawn == kNoPicture) return kNoPictureLabel;
  if (drawn != kDrawn) return "error";
  table.Count(cells_.Window(i), pixelPass_, rowDone);
  return "";
}

}  // namespace pictray
