#include "cli/twinscan/heap_pages.h"

#include <malloc.h>

#include <algorithm>
#include <cstdlib>

#include "engine/fs/huge_pages.h"

namespace pictray::cli {

void AskHugePagesForHeap(std::size_t bytes) {
  // glibc's own upper bound for the threshold, which it reaches by itself
  // as large blocks are freed: the file table of a large folder is then cut
  // from the advised room rather than mapped apart.
  constexpr int kMappedApartFrom = 32 << 20;
  if (mallopt(M_MMAP_THRESHOLD, kMappedApartFrom) == 0) return;
  mallopt(M_TRIM_THRESHOLD, 2 * kMappedApartFrom);
  bytes = std::min<std::size_t>(bytes, kMappedApartFrom / 2);
  // Taken and given back at once: the heap grows by `bytes` untouched, and
  // the blocks after are cut from that room.
  void* room = std::malloc(bytes);
  if (room == nullptr) return;
  fs::AdviseHugePages(room, bytes);
  std::free(room);
}

}  // namespace pictray::cli
