// A RunHost for headless tests: records every call (messages in Japanese
// words) and answers message boxes from a script (default 7, as closing the
// box would).
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "engine/run/run_host.h"
#include "tests/support/japanese_texts.h"
#include "texts/texts.h"

namespace pictray::testing {

struct Message {
  std::string text, caption1, caption2;
};

class RecordingHost : public RunHost {
 public:
  // Answers for the next message boxes, in order.
  void Answer(int a) {
    std::lock_guard<std::mutex> l(m);
    answers.push_back(a);
  }

  int MessageBox1Q(const pictray::Message& said, Button c1, Button c2) override {
    using texts::Language;
    std::lock_guard<std::mutex> l(m);
    messages.push_back({texts::Words(said, Language::Japanese), texts::Words(c1, Language::Japanese),
                        texts::Words(c2, Language::Japanese)});
    if (answers.empty()) return defaultAnswer;
    int a = answers.front();
    answers.pop_front();
    return a;
  }
  void Progressed(const RunProgress& p) override {
    std::lock_guard<std::mutex> l(m);
    progress.push_back(p);
  }
  void RunBegan(int command) override {
    std::lock_guard<std::mutex> l(m);
    began.push_back(command);
  }
  void RunEnded(const RunEnd& end) override {
    std::lock_guard<std::mutex> l(m);
    ends.push_back(end);
  }
  void SearchedFileListed(const std::string& name, long row) override {
    std::lock_guard<std::mutex> l(m);
    searched = name;
    selected = row;
  }
  void SetItemCount(std::size_t n) override {
    std::lock_guard<std::mutex> l(m);
    itemCount = n;
  }
  void RowsChanged(std::size_t, std::size_t) override {}
  void ShowRunPlace(std::size_t row) override {
    std::lock_guard<std::mutex> l(m);
    runPlaces.push_back(row);
  }
  void DeselectAll() override {
    std::lock_guard<std::mutex> l(m);
    selected = -1;
  }
  void SetSummary(const std::vector<SummaryLine>& lines) override {
    std::lock_guard<std::mutex> l(m);
    summary = lines;
  }
  void ClearMoveResults() override {
    std::lock_guard<std::mutex> l(m);
    moveResults.clear();
  }
  void SetMoveResult(std::size_t index, const MoveResultLine& line) override {
    std::lock_guard<std::mutex> l(m);
    if (index >= moveResults.size()) moveResults.resize(index + 1);
    moveResults[index] = line;
  }

  // The last end told; a default one when none was.
  RunEnd LastEnd() const {
    std::lock_guard<std::mutex> l(m);
    return ends.empty() ? RunEnd{} : ends.back();
  }

  // The last progress of that kind told; a default one when none was.
  RunProgress Last(RunProgress::Kind kind) const {
    std::lock_guard<std::mutex> l(m);
    for (auto p = progress.rbegin(); p != progress.rend(); ++p)
      if (p->kind == kind) return *p;
    return {};
  }

  std::vector<std::string> MessageTexts() const {
    std::lock_guard<std::mutex> l(m);
    std::vector<std::string> out;
    for (const auto& msg : messages) out.push_back(msg.text);
    return out;
  }

  mutable std::mutex m;
  int defaultAnswer = 7;
  std::deque<int> answers;
  std::vector<Message> messages;
  std::vector<RunProgress> progress;
  std::vector<int> began;
  std::vector<RunEnd> ends;
  std::string searched;
  std::size_t itemCount = 0;
  std::vector<std::size_t> runPlaces;
  long selected = -1;
  std::vector<SummaryLine> summary;
  std::vector<MoveResultLine> moveResults;
};

}  // namespace pictray::testing
