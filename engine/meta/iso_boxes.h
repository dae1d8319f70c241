// Reading the boxes of an ISO base media file (HEIF and its kin) from
// bytes held in memory, without trusting a single size they claim.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace pictray::meta {

constexpr std::uint32_t FourCC(const char (&s)[5]) {
  return std::uint32_t(std::uint8_t(s[0])) << 24 | std::uint32_t(std::uint8_t(s[1])) << 16 |
         std::uint32_t(std::uint8_t(s[2])) << 8 | std::uint8_t(s[3]);
}

// Big-endian numbers off a span of bytes; reading past its end marks it
// failed and gives 0.
class Cursor {
 public:
  Cursor() = default;
  Cursor(const unsigned char* p, std::size_t n) : p_(p), n_(n) {}
  std::uint64_t Number(std::size_t bytes) {
    if (bytes > n_ - at_) return Fail();
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < bytes; ++i) v = v << 8 | p_[at_++];
    return v;
  }
  Cursor Take(std::uint64_t bytes) {
    if (bytes > n_ - at_) return Fail(), Cursor();
    Cursor part(p_ + at_, static_cast<std::size_t>(bytes));
    at_ += static_cast<std::size_t>(bytes);
    return part;
  }
  // `n` bytes from `offset` of the whole span, or nothing.
  std::optional<std::string> Copy(std::uint64_t offset, std::uint64_t n) const {
    if (offset > n_ || n > n_ - offset) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(p_) + offset, static_cast<std::size_t>(n));
  }
  std::size_t left() const { return n_ - at_; }
  bool failed() const { return failed_; }

 private:
  std::uint64_t Fail() {
    failed_ = true;
    at_ = n_;
    return 0;
  }
  const unsigned char* p_ = nullptr;
  std::size_t n_ = 0, at_ = 0;
  bool failed_ = false;
};

struct BoxHeader {
  std::uint32_t type = 0;
  std::uint64_t size = 0, header = 0;  // the whole box, its header
};

// The header at the cursor of a box that may run `left` bytes from its
// start; nothing when it cannot.
inline std::optional<BoxHeader> ReadBoxHeader(Cursor& c, std::uint64_t left) {
  BoxHeader h{0, c.Number(4), 8};
  h.type = static_cast<std::uint32_t>(c.Number(4));
  if (h.size == 1) {
    h.size = c.Number(8);
    h.header = 16;
  } else if (h.size == 0) {
    h.size = left;
  }
  if (c.failed() || h.size < h.header || h.size > left) return std::nullopt;
  return h;
}

// Calls each(type, body) for the boxes filling `boxes`; false when one
// overruns or `each` refuses its box.
template <class Each>
bool ForEachBox(Cursor boxes, Each&& each) {
  while (boxes.left() > 0) {
    const std::size_t left = boxes.left();
    const std::optional<BoxHeader> h = ReadBoxHeader(boxes, left);
    if (!h) return false;
    Cursor body = boxes.Take(h->size - h->header);
    if (boxes.failed() || !each(h->type, body)) return false;
  }
  return true;
}

}  // namespace pictray::meta
