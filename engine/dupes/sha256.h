// SHA-256 (FIPS 180-4): the strong hash of a file's content identity, for
// the review's lasting decisions (decisions.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace pictray::dupes {

class Sha256 {
 public:
  using Digest = std::array<unsigned char, 32>;
  Sha256();
  void Add(const unsigned char* data, std::size_t n);
  Digest Finish();

 private:
  void Block(const unsigned char* p);
  std::array<std::uint32_t, 8> h_;
  std::array<unsigned char, 64> buffer_{};
  std::size_t held_ = 0;
  std::uint64_t length_ = 0;
};

}  // namespace pictray::dupes
