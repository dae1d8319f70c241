// The one way the main window starts a run (list-up, an analysis, the move):
// the run is registered before its worker thread starts, so a command that
// arrives in between is already refused, and every worker is tracked until
// it is joined. At exit the launcher waits for the workers while serving the
// window's events, as a worker may be waiting for the window.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "engine/run/run_state.h"

namespace pictray::app {

class RunLauncher {
 public:
  // A run gets its registration: list-up lets it go before it tells the
  // window it has ended; the others hold it until they return.
  using Run = std::function<void(RunRegistry::Guard)>;

  explicit RunLauncher(RunRegistry& runs) : runs_(runs) {}
  // Waits for what is still running: a thread is never left unjoined.
  ~RunLauncher();
  RunLauncher(const RunLauncher&) = delete;
  RunLauncher& operator=(const RunLauncher&) = delete;

  // Registers `run` and starts it on a worker thread of its own.
  void Start(Run run);
  // Returns once every worker has ended, serving the calling thread's
  // events meanwhile. The caller first makes the workers stop (abort flags,
  // a host that no longer waits for the window).
  void WaitForAll();

 private:
  struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };
  // Joins the workers that have ended, so threads do not pile up.
  void JoinEnded();

  RunRegistry& runs_;
  std::vector<Worker> workers_;
};

}  // namespace pictray::app
