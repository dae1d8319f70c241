#include "engine/fs/on_threads.h"

#include <pthread.h>
#include <sched.h>

#include <vector>

namespace pictray::fs {
namespace {

struct HelperStart {
  const std::function<void(unsigned)>* body;
  unsigned t;
  const cpu_set_t* allowed;  // what the helper may use once started; null: left as created
};

void* RunHelper(void* arg) {
  const auto* start = static_cast<const HelperStart*>(arg);
  if (start->allowed) pthread_setaffinity_np(pthread_self(), sizeof(cpu_set_t), start->allowed);
  (*start->body)(start->t);
  return nullptr;
}

}  // namespace

void OnThreads(unsigned threads, const std::function<void(unsigned)>& body) {
  if (threads <= 1) {
    body(0);
    return;
  }
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  const int here = sched_getcpu();
  const bool apart = sched_getaffinity(0, sizeof allowed, &allowed) == 0 && here >= 0 && here < CPU_SETSIZE &&
                     CPU_ISSET(here, &allowed) && CPU_COUNT(&allowed) > 1;
  cpu_set_t elsewhere = allowed;
  if (apart) CPU_CLR(here, &elsewhere);
  pthread_attr_t attr;
  const bool placed = apart && pthread_attr_init(&attr) == 0;
  if (placed) pthread_attr_setaffinity_np(&attr, sizeof elsewhere, &elsewhere);

  std::vector<HelperStart> starts;
  starts.reserve(threads - 1);
  std::vector<pthread_t> started;
  std::vector<unsigned> notStarted;
  for (unsigned t = 1; t < threads; ++t) {
    starts.push_back({&body, t, placed ? &allowed : nullptr});
    pthread_t id;
    if (pthread_create(&id, placed ? &attr : nullptr, RunHelper, &starts.back()) == 0)
      started.push_back(id);
    else
      notStarted.push_back(t);
  }
  if (placed) pthread_attr_destroy(&attr);
  body(0);
  for (unsigned t : notStarted) body(t);
  for (pthread_t id : started) pthread_join(id, nullptr);
}

}  // namespace pictray::fs
