// The exact search over a folder of thousands of files fills its heap once,
// in a fraction of a second; a first touch of each 4 KiB page is a fault,
// and on a virtual machine each fault leaves the guest. Asking for
// transparent huge pages makes that one fault per 2 MiB.
#pragma once

#include <cstddef>

namespace pictray::cli {

// Asks that the heap's next `bytes` (at most 16 MiB) be backed by
// transparent huge pages, where the kernel has them: advice, without them
// nothing changes. For a short-lived process: blocks of up to 32 MiB are
// then cut from the heap rather than mapped apart, and the heap gives room
// back once 64 MiB lie free at its top.
void AskHugePagesForHeap(std::size_t bytes);

}  // namespace pictray::cli
