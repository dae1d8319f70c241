// The run host of pictray-cli: questions get the answer chosen on the
// command line, messages go to standard error, window-only calls do nothing.
#pragma once

#include <ostream>

#include "engine/run/null_host.h"

namespace pictray::cli {

class CliHost : public NullHost {
 public:
  CliHost(int answer, std::ostream& err) : answer_(answer), err_(err) {}

  // True once an error message was shown.
  bool failed() const { return failed_; }

  int MessageBox1Q(const std::string& text, const std::string& c1, const std::string& c2) override {
    const bool error = c1 == "err" && c2 == "err";
    const bool info = c1 == "yes" && c2 == "yes";
    if (error) failed_ = true;
    err_ << (error ? "error: " : info ? "message: " : "question: ") << text << "\n";
    return info || error ? 6 : answer_;
  }

 private:
  int answer_;
  std::ostream& err_;
  bool failed_ = false;
};

}  // namespace pictray::cli
