// The one way a window starts a run (Pictray's list-up, analyses and move,
// Twinscan's runs): the run is registered before its worker thread starts,
// so a command that arrives in between is already refused, and every worker
// is tracked until it is joined. A worker tells of its end through a
// callback on its own thread, which the window turns into a posted call.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "engine/run/run_state.h"

namespace pictray::ui {

class RunLauncher {
 public:
  // A run gets its registration: list-up lets it go before it tells the
  // window it has ended; the others hold it until they return.
  using Run = std::function<void(RunRegistry::Guard)>;

  // `ended` is called on a worker's thread once its run has returned; a
  // window whose runs post their own end passes none.
  RunLauncher(RunRegistry& runs, std::function<void()> ended) : runs_(runs), ended_(std::move(ended)) {}
  // Joins what is still running: a thread is never left unjoined.
  ~RunLauncher();
  RunLauncher(const RunLauncher&) = delete;
  RunLauncher& operator=(const RunLauncher&) = delete;

  // Registers `run` and starts it on a worker thread of its own.
  void Start(Run run);
  // Joins the workers whose runs have returned; true while others work.
  bool JoinEnded();
  // Joins every worker. The caller first makes them stop without its help
  // (abort flags, a host that answers at once): nothing is served meanwhile.
  void WaitForAll();

 private:
  struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };

  RunRegistry& runs_;
  std::function<void()> ended_;
  std::vector<Worker> workers_;
};

}  // namespace pictray::ui
