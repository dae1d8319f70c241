#include "thumbkit/bmp_read.h"

#include <cstdint>
#include <vector>

#include "engine/fs/memory_budget.h"
#include "thumbkit/pixel_rows.h"

namespace thumbkit {
namespace {

std::uint32_t Le16(const std::uint8_t* p) { return p[0] | std::uint32_t(p[1]) << 8; }
std::uint32_t Le32(const std::uint8_t* p) { return Le16(p) | Le16(p + 2) << 16; }

}  // namespace

Streamed StreamBmp(const pictray::fs::ReadOnlyFile& f, const BudgetCalls& budget, RowSink& sink) {
  std::uint8_t head[54];
  if (!f.ok() || f.size() < sizeof head || f.ReadAt(0, head, sizeof head) != sizeof head) return Streamed::kFailed;
  if (head[0] != 'B' || Le16(head + 28) != 24 || Le32(head + 30) != 0) return Streamed::kFailed;
  const auto width = static_cast<std::int32_t>(Le32(head + 18));
  const auto height = static_cast<std::int32_t>(Le32(head + 22));
  if (width <= 0 || height <= 0 || std::uint64_t(width) * std::uint64_t(height) > kMaxStreamedPixels)
    return Streamed::kFailed;
  const auto w = std::uint32_t(width), h = std::uint32_t(height);
  const std::uint32_t len = pictray::BmpRowLength(w);
  const std::uint64_t offBits = Le32(head + 10);
  if (offBits < sizeof head || offBits + std::uint64_t(len) * h > f.size()) return Streamed::kFailed;
  const pictray::fs::BudgetHold held(budget, len);
  std::vector<std::uint8_t> row;
  if (!held.held() || !Reserve(row, len)) return Streamed::kFailed;
  sink.Begin(w, h);
  // Bottom row first in the file.
  for (std::uint32_t y = 0; y < h; ++y) {
    if (f.ReadAt(offBits + std::uint64_t(h - 1 - y) * len, row.data(), len) != len) return Streamed::kFailed;
    if (!sink.Row(y, row.data())) return Streamed::kStopped;
  }
  return Streamed::kRead;
}

}  // namespace thumbkit
