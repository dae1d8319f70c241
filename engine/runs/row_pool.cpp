#include "engine/runs/row_pool.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "engine/runs/run_steps.h"

namespace pictray {

int RowWorkers(int limit) {
  const int cores = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
  return limit > 0 ? std::min(cores, limit) : cores;
}

void OnWorkers(int workers, const std::function<void(int worker)>& body) {
  std::vector<std::thread> others;
  for (int w = 1; w < workers; ++w) others.emplace_back(body, w);
  body(0);
  for (std::thread& t : others) t.join();
}

bool RowDispenser::Next(std::size_t* row) {
  const std::size_t i = next_.fetch_add(1);
  if (i >= rows_.ListMax()) return false;
  *row = i;
  return true;
}

void FinishedRows::Finished() {
  // One at a time, so that the numbers shown only grow.
  std::lock_guard<std::mutex> l(m_);
  ++finished_;
  host_.SetProgress(bar_, static_cast<int>(total_ ? finished_ * scale_ / total_ : 0));
  host_.SetStatusText(1, Counter(finished_, total_));
}

}  // namespace pictray
