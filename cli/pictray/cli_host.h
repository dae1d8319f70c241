// The run host of pictray-cli: questions get the answer chosen on the
// command line, messages go to standard error, window-only calls do nothing.
#pragma once

#include <ostream>
#include <utility>

#include "engine/run/null_host.h"
#include "texts/texts.h"

namespace pictray::cli {

class CliHost : public NullHost {
 public:
  CliHost(int answer, std::ostream& err, texts::Language language)
      : answer_(answer), err_(err), language_(language) {}

  // True once an error message was shown.
  bool failed() const { return failed_; }

  void RunEnded(const RunEnd& end) override { end_ = end; }
  // The end the last run told, once; a default one when none did since.
  RunEnd TakeEnd() { return std::exchange(end_, RunEnd{}); }

  int MessageBox1Q(const Message& message, Button c1, Button c2) override {
    const bool error = c1 == Button::Err && c2 == Button::Err;
    const bool info = c1 == Button::Yes && c2 == Button::Yes;
    if (error) failed_ = true;
    err_ << (error ? "error: " : info ? "message: " : "question: ") << texts::Words(message, language_) << "\n";
    return info || error ? 6 : answer_;
  }

 private:
  int answer_;
  std::ostream& err_;
  texts::Language language_;
  bool failed_ = false;
  RunEnd end_;
};

}  // namespace pictray::cli
