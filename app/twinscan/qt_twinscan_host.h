// The run host of the Twinscan window: every call from the run's thread is
// carried to the window's thread and waited for, as the run expects; the
// end is posted without waiting, since the window joins the run's thread
// when it takes it.
#pragma once

#include <atomic>
#include <functional>

#include "engine/run/twinscan_host.h"

namespace pictray::twinscan {

class TwinscanWindow;

class QtTwinscanHost : public TwinscanHost {
 public:
  explicit QtTwinscanHost(TwinscanWindow& window) : window_(window) {}

  // Once closing, calls return at once (questions answer 7), calls already
  // on their way do nothing, so that the window can wait for the run.
  void SetClosing() { closing_.store(true); }

  int MessageBox1Q(const std::string& text, const std::string& caption1,
                   const std::string& caption2) override;
  void SetProgress(TwinscanBar bar, int position) override;
  void SetCountText(const std::string& kenbuf) override;
  void SetTable(const std::vector<dupes::FileRec>& lpData) override;
  void ClearResultLines() override;
  void SetResultLine(std::size_t index, const dupes::SameResultLine& line) override;
  void RunEnded(const TwinscanEnd& end) override;

 private:
  // Runs fn on the window's thread and waits for it.
  void OnWindowThread(const std::function<void()>& fn);

  TwinscanWindow& window_;
  std::atomic<bool> closing_{false};
};

}  // namespace pictray::twinscan
