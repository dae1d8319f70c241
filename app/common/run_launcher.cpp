#include "app/common/run_launcher.h"

namespace pictray::ui {

RunLauncher::~RunLauncher() { WaitForAll(); }

void RunLauncher::Start(Run run) {
  JoinEnded();
  auto done = std::make_shared<std::atomic<bool>>(false);
  RunRegistry::Guard guard(runs_);
  workers_.push_back(Worker{std::thread([run = std::move(run), g = std::move(guard), done, ended = ended_]() mutable {
                              run(std::move(g));
                              done->store(true);
                              if (ended) ended();
                            }),
                            done});
}

bool RunLauncher::JoinEnded() {
  std::erase_if(workers_, [](Worker& w) {
    if (!w.done->load()) return false;
    w.thread.join();
    return true;
  });
  return !workers_.empty();
}

void RunLauncher::WaitForAll() {
  for (Worker& w : workers_) w.thread.join();
  workers_.clear();
}

}  // namespace pictray::ui
