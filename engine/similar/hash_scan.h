// The kept pictures whose hashes are near a picture's (HashesNear), found
// by scanning them all: at the radii the comparison needs (16 of 64 bits)
// no index over pieces of the hashes rules out enough of them to pay, so
// the scan reads each kept picture's hashes once for many pictures and
// compares four or eight at a time where the processor can.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/similar/picture_features.h"
#include "engine/similar/picture_match.h"

namespace pictray::similar {

// The hashes of the kept pictures side by side: the whole pictures' and
// each crop's in an array of their own.
struct KeptHashes {
  std::vector<std::uint64_t> whole;
  std::array<std::vector<std::uint64_t>, kCropHashes> crops;
  void Add(const FeatureView& f);
  std::size_t size() const { return whole.size(); }
};

// The ways of comparing: plain, with the popcount instruction, four at
// once with AVX2 (the bits of each byte looked up), and eight at once with
// AVX-512's popcount of 64-bit lanes.
enum class ScanKernel { Plain, Popcount, Avx2, Avx512 };
bool Supported(ScanKernel kernel);
// The fastest kernel this processor runs.
ScanKernel FastestKernel();

// Appends to near[q] every kept picture t < count (in increasing order)
// whose hashes are near queries[q] by `limits`.
void NearKept(const KeptHashes& kept, std::size_t count, std::span<const FeatureView> queries,
              const MatchLimits& limits, ScanKernel kernel, std::span<std::vector<std::uint32_t>> near);

}  // namespace pictray::similar
