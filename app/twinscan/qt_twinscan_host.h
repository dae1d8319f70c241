// The run host of the Twinscan window: what the run shows is posted to the
// window's thread in order, copies included; only a question waits for its
// answer, and a closing window answers it with 7 at once. Counts are posted
// at the pace a person reads them, with the time left.
#pragma once

#include "app/common/window_calls.h"
#include "engine/run/progress_pace.h"
#include "engine/run/twinscan_host.h"
#include "texts/texts.h"

namespace pictray::twinscan {

class TwinscanWindow;

class QtTwinscanHost : public TwinscanHost {
 public:
  explicit QtTwinscanHost(TwinscanWindow& window);

  // Window's thread, as it starts closing: questions answer 7 from now on.
  void SetClosing() { calls_.SetClosing(); }

  // The message in the window's language; captions as their Japanese keys.
  int MessageBox1Q(const Message& message, Button caption1, Button caption2) override;
  void SetShare(TwinscanWork work, int percent) override;
  void SetCountText(const std::string& kenbuf) override;
  void SetTable(const std::vector<dupes::FileRec>& lpData) override;
  void ClearResultLines() override;
  void SetResultLine(std::size_t index, const dupes::SameResultLine& line) override;
  void SetSearchProgress(SearchPhase phase, std::size_t done, std::size_t total) override;
  void SetStep(TwinscanStep step, std::size_t done, std::size_t total) override;
  void SetReview(const dupes::TwinReview& review) override;
  void RunEnded(const TwinscanEnd& end) override;

 private:
  TwinscanWindow& window_;
  ui::WindowCalls calls_;
  ProgressPace pace_;  // the run's thread only

  void PostProgress(texts::ProgressStep step, std::size_t done, std::size_t total);
};

}  // namespace pictray::twinscan
