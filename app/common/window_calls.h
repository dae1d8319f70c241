// Calls from a run's thread to its window's thread. What a run shows is
// posted and never waited for, so a run goes on whatever the window does;
// only a question waits for its answer, and a window that is closing answers
// every question at once, so that a run ends without the window's help.
#pragma once

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace pictray::ui {

class WindowCalls {
 public:
  explicit WindowCalls(QObject& window) : window_(window) {}
  WindowCalls(const WindowCalls&) = delete;
  WindowCalls& operator=(const WindowCalls&) = delete;

  // Window's thread, once it starts closing: questions waiting now and asked
  // later get their closing answer without reaching the window.
  void SetClosing();
  const std::atomic<bool>& closing() const { return closing_; }

  // Runs `show` on the window's thread after everything posted before it
  // (at once when called there). `show` owns what it uses.
  void Post(std::function<void()> show) const;

  // Runs `ask` on the window's thread and returns its answer; `closingAnswer`
  // once the window is closing. `ask` owns what it uses: a closing window may
  // still run it after the caller has gone on.
  int Ask(std::function<int()> ask, int closingAnswer);

  bool OnWindowThread() const;

 private:

  QObject& window_;
  std::atomic<bool> closing_{false};
  std::mutex mutex_;
  std::condition_variable answered_;
};

}  // namespace pictray::ui
