// Work on `count` items shared by a number of threads, the caller's one of
// them, which alone reports how far they are.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <functional>

#include "engine/dupes/dupes.h"
#include "engine/fs/on_threads.h"

namespace pictray::similar {

// Calls work(i) for every i < count, each once, on `threads` threads (at
// least one); report(done) after each item the caller's thread finished.
// Once `abort` is set no item is started; false then.
inline bool ParallelFor(std::size_t count, unsigned threads, dupes::AbortFlag abort,
                        const std::function<void(std::size_t)>& work, const std::function<void(std::size_t)>& report) {
  std::atomic<std::size_t> next{0}, done{0};
  const auto run = [&](unsigned t) {
    for (std::size_t i; !dupes::Aborted(abort) && (i = next.fetch_add(1)) < count;) {
      work(i);
      const std::size_t d = done.fetch_add(1) + 1;
      if (t == 0 && report) report(d);
    }
  };
  fs::OnThreads(static_cast<unsigned>(std::min<std::size_t>(threads, count)), run);
  if (report && count > 0) report(done.load());
  return !dupes::Aborted(abort) || done.load() == count;
}

}  // namespace pictray::similar
