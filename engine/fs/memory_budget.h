// The bytes a run's decoders may hold at once, shared by its workers.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "engine/fs/budget_calls.h"

namespace pictray::fs {

// Two 50 MP pictures held side by side at full size (a HEIF grid decoded
// whole and its colour conversion, or progressive JPEG coefficients with
// the picture) need about 600 MB; a gibibyte leaves room for the smaller
// files other workers hold meanwhile.
inline constexpr std::uint64_t kRunDecodeBytes = 1ULL << 30;

class MemoryBudget {
 public:
  explicit MemoryBudget(std::uint64_t total = kRunDecodeBytes) : total_(total) {}
  MemoryBudget(const MemoryBudget&) = delete;
  MemoryBudget& operator=(const MemoryBudget&) = delete;

  // Holds `bytes`, waiting until the others' holdings leave room for them;
  // false at once when they exceed the whole budget.
  bool Acquire(std::uint64_t bytes);
  void Release(std::uint64_t bytes);
  std::uint64_t total() const { return total_; }
  // The run's stop flag, which the drawings within this budget look at
  // between rows (BudgetCalls::stopped).
  void SetAbort(const std::atomic<int>* abort) { abort_ = abort; }
  // This budget for a C library; valid while the budget lives.
  BudgetCalls Calls();

 private:
  const std::uint64_t total_;
  std::mutex m_;
  std::condition_variable freed_;
  std::uint64_t held_ = 0;
  const std::atomic<int>* abort_ = nullptr;
};

// Bytes held of a budget until the end of the scope.
class BudgetHold {
 public:
  BudgetHold(const BudgetCalls& budget, std::uint64_t bytes)
      : budget_(budget), bytes_(bytes), held_(budget.acquire(budget.ctx, bytes) != 0) {}
  ~BudgetHold() {
    if (held_) budget_.release(budget_.ctx, bytes_);
  }
  BudgetHold(const BudgetHold&) = delete;
  BudgetHold& operator=(const BudgetHold&) = delete;

  bool held() const { return held_; }

 private:
  BudgetCalls budget_;
  std::uint64_t bytes_;
  bool held_;
};

}  // namespace pictray::fs
