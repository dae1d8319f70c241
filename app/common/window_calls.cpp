#include "app/common/window_calls.h"

#include <QMetaObject>
#include <QThread>

#include <memory>
#include <optional>

namespace pictray::ui {

bool WindowCalls::OnWindowThread() const { return QThread::currentThread() == window_.thread(); }

void WindowCalls::SetClosing() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_.store(true);
  }
  answered_.notify_all();
}

void WindowCalls::Post(std::function<void()> show) const {
  if (OnWindowThread()) {
    show();
    return;
  }
  QMetaObject::invokeMethod(&window_, std::move(show), Qt::QueuedConnection);
}

int WindowCalls::Ask(std::function<int()> ask, int closingAnswer) {
  if (OnWindowThread()) return closing_.load() ? closingAnswer : ask();
  auto answer = std::make_shared<std::optional<int>>();
  QMetaObject::invokeMethod(
      &window_,
      [this, ask = std::move(ask), answer, closingAnswer] {
        const int given = closing_.load() ? closingAnswer : ask();
        {
          std::lock_guard<std::mutex> lock(mutex_);
          *answer = given;
        }
        answered_.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock<std::mutex> lock(mutex_);
  answered_.wait(lock, [&] { return answer->has_value() || closing_.load(); });
  return answer->has_value() ? **answer : closingAnswer;
}

}  // namespace pictray::ui
