// One message box at a time in the main window. The window marks its boxes
// open and closed; a run whose box (or command) would land on top of an open
// box waits on its own thread until that box has been answered.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace pictray::app {

class BoxTurn {
 public:
  // Window's thread, around every box it shows.
  void Opened() {
    std::lock_guard<std::mutex> l(m_);
    ++open_;
  }
  void Closed() {
    {
      std::lock_guard<std::mutex> l(m_);
      --open_;
      ++closed_;
    }
    cv_.notify_all();
  }
  // Window's thread: whether a box is open; `closed` receives how many have
  // been closed so far, for WaitForClose.
  bool Busy(std::uint64_t* closed) const {
    std::lock_guard<std::mutex> l(m_);
    *closed = closed_;
    return open_ > 0;
  }
  // A worker: returns once a box has closed since Busy gave `closed`, or
  // when `stop` is set (the window is going away).
  void WaitForClose(std::uint64_t closed, const std::atomic<bool>& stop) {
    std::unique_lock<std::mutex> l(m_);
    // The timeout lets `stop` be noticed; it is set without this lock.
    while (closed_ == closed && !stop.load()) cv_.wait_for(l, std::chrono::milliseconds(50));
  }

 private:
  mutable std::mutex m_;
  std::condition_variable cv_;
  int open_ = 0;
  std::uint64_t closed_ = 0;
};

}  // namespace pictray::app
