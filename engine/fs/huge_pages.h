// Advice that a large block, touched once as it is filled, be backed by
// transparent huge pages: one fault every 2 MiB rather than every 4 KiB,
// which on a virtual machine is most of the cost of filling it.
#pragma once

#include <cstddef>

namespace pictray::fs {

// Advises the whole 2 MiB pages within [data, data + bytes); nothing for a
// smaller block, or where the kernel has no huge pages.
void AdviseHugePages(const void* data, std::size_t bytes);

}  // namespace pictray::fs
