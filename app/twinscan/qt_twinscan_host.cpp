#include "app/twinscan/qt_twinscan_host.h"

#include <QMetaObject>

#include "app/twinscan/twinscan_window.h"

namespace pictray::twinscan {

void QtTwinscanHost::OnWindowThread(const std::function<void()>& fn) {
  if (closing_.load()) return;
  QMetaObject::invokeMethod(
      &window_,
      [this, &fn] {
        if (!closing_.load()) fn();
      },
      Qt::BlockingQueuedConnection);
}

int QtTwinscanHost::MessageBox1Q(const std::string& text, const std::string& caption1,
                                 const std::string& caption2) {
  int answer = 7;
  OnWindowThread([&] { answer = window_.Message(text, caption1, caption2); });
  return answer;
}

void QtTwinscanHost::SetProgress(TwinscanBar bar, int position) {
  OnWindowThread([&] { window_.ShowProgress(bar, position); });
}

void QtTwinscanHost::SetCountText(const std::string& kenbuf) {
  OnWindowThread([&] { window_.ShowCount(kenbuf); });
}

void QtTwinscanHost::SetTable(const std::vector<dupes::FileRec>& lpData) {
  OnWindowThread([&] { window_.ShowTable(lpData); });
}

void QtTwinscanHost::ClearResultLines() {
  OnWindowThread([&] { window_.ClearResultLines(); });
}

void QtTwinscanHost::SetResultLine(std::size_t index, const dupes::SameResultLine& line) {
  OnWindowThread([&] { window_.ShowResultLine(index, line); });
}

void QtTwinscanHost::RunEnded(const TwinscanEnd& end) {
  QMetaObject::invokeMethod(&window_, [w = &window_, end] { w->RunEnded(end); }, Qt::QueuedConnection);
}

}  // namespace pictray::twinscan
