#include "app/pictray/run_launcher.h"

#include <QCoreApplication>
#include <QThread>

namespace pictray::app {

RunLauncher::~RunLauncher() { WaitForAll(); }

void RunLauncher::Start(Run run) {
  JoinEnded();
  auto done = std::make_shared<std::atomic<bool>>(false);
  RunRegistry::Guard guard(runs_);
  workers_.push_back(Worker{std::thread([run = std::move(run), g = std::move(guard), done]() mutable {
                              run(std::move(g));
                              done->store(true);
                            }),
                            done});
}

void RunLauncher::JoinEnded() {
  for (auto it = workers_.begin(); it != workers_.end();) {
    if (it->done->load()) {
      it->thread.join();
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
}

void RunLauncher::WaitForAll() {
  // A worker may be waiting for this thread: keep serving it until it ends.
  for (Worker& w : workers_) {
    while (!w.done->load()) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      QThread::msleep(1);
    }
    w.thread.join();
  }
  workers_.clear();
}

}  // namespace pictray::app
