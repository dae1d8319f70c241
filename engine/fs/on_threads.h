// Work shared by a few threads, the caller's one of them. Each helper starts
// on a processor other than the caller's where the process may use one: on
// some kernels (seen in virtual machines) a new thread otherwise waits in its
// creator's queue, while the other processors idle, until the load balancer
// moves it, milliseconds later. Once started it may run anywhere the
// process may.
#pragma once

#include <functional>

namespace pictray::fs {

// Calls body(t) for each t < threads: body(0) on the caller's thread, the
// others on helper threads; returns once all have returned. A helper that
// cannot be started has its body run by the caller after its own.
void OnThreads(unsigned threads, const std::function<void(unsigned)>& body);

}  // namespace pictray::fs
