// A TwinscanHost for headless tests: records every call and answers message
// boxes from a script (default 7, as closing the box would). The runs call
// it on the test's own thread.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "engine/run/twinscan_host.h"

namespace pictray::testing {

class RecordingTwinscanHost : public TwinscanHost {
 public:
  int MessageBox1Q(const std::string& text, const std::string& c1, const std::string& c2) override {
    texts.push_back(text);
    captions.push_back(c1 + "/" + c2);
    if (answers.empty()) return 7;
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
  void SetProgress(TwinscanBar bar, int position) override { progress[bar].push_back(position); }
  void SetCountText(const std::string& kenbuf) override { countTexts.push_back(kenbuf); }
  void SetTable(const std::vector<dupes::FileRec>& lpData) override { tables.push_back(lpData); }
  void ClearResultLines() override { resultLines.clear(); }
  void SetResultLine(std::size_t index, const dupes::SameResultLine& line) override {
    if (index >= resultLines.size()) resultLines.resize(index + 1);
    resultLines[index] = line;
  }
  void RunEnded(const TwinscanEnd& end) override { ends.push_back(end); }

  std::deque<int> answers;  // for the coming message boxes, in order
  std::vector<std::string> texts, captions;  // of every box shown; captions "first/second"
  std::map<TwinscanBar, std::vector<int>> progress;
  std::vector<std::string> countTexts;
  std::vector<std::vector<dupes::FileRec>> tables;
  std::vector<dupes::SameResultLine> resultLines;
  std::vector<TwinscanEnd> ends;
};

}  // namespace pictray::testing
