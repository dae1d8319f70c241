#include "engine/fs/memory_budget.h"

namespace pictray::fs {

bool MemoryBudget::Acquire(std::uint64_t bytes) {
  if (bytes > total_) return false;
  std::unique_lock<std::mutex> l(m_);
  freed_.wait(l, [&] { return bytes <= total_ - held_; });
  held_ += bytes;
  return true;
}

void MemoryBudget::Release(std::uint64_t bytes) {
  {
    std::lock_guard<std::mutex> l(m_);
    held_ -= bytes;
  }
  freed_.notify_all();
}

BudgetCalls MemoryBudget::Calls() {
  return {this,
          [](void* ctx, unsigned long long bytes) { return static_cast<MemoryBudget*>(ctx)->Acquire(bytes) ? 1 : 0; },
          [](void* ctx, unsigned long long bytes) { static_cast<MemoryBudget*>(ctx)->Release(bytes); },
          [](void* ctx) {
            const std::atomic<int>* abort = static_cast<MemoryBudget*>(ctx)->abort_;
            return abort && abort->load(std::memory_order_relaxed) != 0 ? 1 : 0;
          }};
}

}  // namespace pictray::fs
