// A memory budget as a C library takes it: the thumbnail library holds what
// it decodes within the caller's budget through these two calls.
#pragma once

extern "C" {

struct BudgetCalls {
  void* ctx;
  // Holds `bytes` of the budget, waiting while others hold too much of it;
  // 0 (nothing held) when they exceed the whole budget.
  int (*acquire)(void* ctx, unsigned long long bytes);
  // Gives back bytes an acquire held.
  void (*release)(void* ctx, unsigned long long bytes);
  // Nonzero once the caller's run was stopped: a drawing then ends between
  // two rows and answers as for a file it cannot read. May be missing.
  int (*stopped)(void* ctx);
};

// Whether the run that handed in `budget` was stopped.
static inline int BudgetStopped(const struct BudgetCalls* budget) {
  return budget && budget->stopped && budget->stopped(budget->ctx);
}
}
