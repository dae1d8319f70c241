// Candidate pairs for the similar-picture search: every pair of 64-bit
// hashes within a Hamming radius, found by a threaded brute-force popcount.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

#include "engine/dupes/dupes.h"

namespace pictray::dupes {

using HashPair = std::pair<std::uint32_t, std::uint32_t>;

// No cap on the pairs kept.
inline constexpr std::size_t kAllPairs = std::numeric_limits<std::size_t>::max();

// Pairs (i < j) of hashes at most `radius` bits apart, sorted by (i, j).
// A negative radius finds nothing; 64 and above find every pair. At most
// 2^32 - 1 hashes.
// `threads` workers (at least one) share the upper triangle block by block;
// `progress` is called on the caller's thread with the comparisons done, of
// n * (n - 1) / 2. Once `abort` is set the workers stop within a block and the
// result is empty.
// `maxPairs` bounds the memory when many hashes are near one another: once
// more than `maxPairs` pairs are found the search stops and returns
// maxPairs + 1 of them, still sorted, so a result longer than `maxPairs`
// tells the caller the list is cut (which pairs it holds then depends on how
// the workers ran).
std::vector<HashPair> HashNeighbours(const std::vector<std::uint64_t>& hashes, int radius, unsigned threads,
                                     AbortFlag abort = nullptr,
                                     const std::function<void(std::size_t done, std::size_t total)>& progress = {},
                                     std::size_t maxPairs = kAllPairs);

}  // namespace pictray::dupes
