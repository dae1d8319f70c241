#include "engine/fs/huge_pages.h"

#include <sys/mman.h>

#include <cstdint>

namespace pictray::fs {

void AdviseHugePages(const void* data, std::size_t bytes) {
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  const auto at = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t begin = (at + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t end = (at + bytes) & ~(kHugePage - 1);
  if (begin < end) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace pictray::fs
