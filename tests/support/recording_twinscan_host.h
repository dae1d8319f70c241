// A TwinscanHost for headless tests: records every call (messages in
// Japanese words) and answers message
// boxes from a script (default 7, as closing the box would). The runs call
// it on the test's own thread.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "engine/run/twinscan_host.h"
#include "tests/support/japanese_texts.h"
#include "texts/texts.h"

namespace pictray::testing {

class RecordingTwinscanHost : public TwinscanHost {
 public:
  int MessageBox1Q(const pictray::Message& message, Button c1, Button c2) override {
    using pictray::texts::Language;
    using pictray::texts::Words;
    texts.push_back(Words(message, Language::Japanese));
    captions.push_back(Words(c1, Language::Japanese) + "/" + Words(c2, Language::Japanese));
    if (answers.empty()) return 7;
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
  void SetShare(TwinscanWork work, int percent) override { shares[work].push_back(percent); }
  void SetCountText(const std::string& kenbuf) override { countTexts.push_back(kenbuf); }
  void SetTable(const std::vector<dupes::FileRec>& lpData) override { tables.push_back(lpData); }
  void ClearResultLines() override { resultLines.clear(); }
  void SetResultLine(std::size_t index, const dupes::SameResultLine& line) override {
    if (index >= resultLines.size()) resultLines.resize(index + 1);
    resultLines[index] = line;
  }
  void SetSearchProgress(pictray::SearchPhase phase, std::size_t done, std::size_t total) override {
    searchProgress.push_back({phase, done, total});
  }
  void SetReview(const dupes::TwinReview& review) override { reviews.push_back(review); }
  void SetStep(TwinscanStep step, std::size_t done, std::size_t total) override {
    steps.push_back({step, done, total});
  }
  void RunEnded(const TwinscanEnd& end) override { ends.push_back(end); }

  std::deque<int> answers;  // for the coming message boxes, in order
  std::vector<std::string> texts, captions;  // of every box shown; captions "first/second"
  std::map<TwinscanWork, std::vector<int>> shares;
  std::vector<std::string> countTexts;
  std::vector<std::vector<dupes::FileRec>> tables;
  std::vector<dupes::SameResultLine> resultLines;
  std::vector<TwinscanEnd> ends;
  struct SearchStep {
    pictray::SearchPhase phase;
    std::size_t done, total;
  };
  std::vector<SearchStep> searchProgress;
  std::vector<dupes::TwinReview> reviews;
  struct Step {
    TwinscanStep step;
    std::size_t done, total;
  };
  std::vector<Step> steps;
};

}  // namespace pictray::testing
