#include "app/twinscan/qt_twinscan_host.h"

#include "app/common/language.h"
#include "app/twinscan/twinscan_window.h"

namespace pictray::twinscan {

QtTwinscanHost::QtTwinscanHost(TwinscanWindow& window) : window_(window), calls_(window) {}

int QtTwinscanHost::MessageBox1Q(const Message& message, Button button1, Button button2) {
  const std::string text = texts::Words(message, ui::WindowLanguage());
  return calls_.Ask([w = &window_, text, button1, button2] { return w->Message(text, button1, button2); }, 7);
}

void QtTwinscanHost::SetShare(TwinscanWork work, int percent) {
  calls_.Post([w = &window_, bar = BarOf(work), percent] { w->ShowProgress(bar, percent); });
}

void QtTwinscanHost::SetCountText(const std::string& kenbuf) {
  calls_.Post([w = &window_, kenbuf] { w->ShowCount(kenbuf); });
}

void QtTwinscanHost::SetTable(const std::vector<dupes::FileRec>& lpData) {
  calls_.Post([w = &window_, lpData] { w->ShowTable(lpData); });
}

void QtTwinscanHost::ClearResultLines() {
  calls_.Post([w = &window_] { w->ClearResultLines(); });
}

void QtTwinscanHost::SetResultLine(std::size_t index, const dupes::SameResultLine& line) {
  calls_.Post([w = &window_, index, line] { w->ShowResultLine(index, line); });
}

void QtTwinscanHost::SetSearchProgress(SearchPhase phase, std::size_t done, std::size_t total) {
  PostProgress(texts::ProgressStepOf(phase), done, total);
}

void QtTwinscanHost::SetStep(TwinscanStep step, std::size_t done, std::size_t total) {
  PostProgress(texts::ProgressStepOf(step), done, total);
}

void QtTwinscanHost::PostProgress(texts::ProgressStep step, std::size_t done, std::size_t total) {
  const ProgressPace::Shown shown = pace_.Take(static_cast<int>(step), done, total);
  if (!shown.show) return;
  calls_.Post([w = &window_, step, done, total, left = shown.secondsLeft] {
    w->ShowRunProgress(step, done, total, left);
  });
}

void QtTwinscanHost::SetReview(const dupes::TwinReview& review) {
  calls_.Post([w = &window_, review] { w->ShowReview(review); });
}

void QtTwinscanHost::RunEnded(const TwinscanEnd& end) {
  calls_.Post([w = &window_, end] { w->RunEnded(end); });
}

}  // namespace pictray::twinscan
