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
};
}
