// The small pool inside the runs that decode files: the rows are handed out
// one at a time to a few workers, each with its own sampling state, so that
// every row gets the result it would get on one thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>

#include "engine/list/file_list.h"
#include "engine/run/controls.h"
#include "engine/run/run_host.h"

namespace pictray {

// One worker per core, at most four (each decodes a whole picture at once,
// and more would only add memory), and at most `limit` when it is above 0.
int RowWorkers(int limit);

// Runs body(worker) for worker 0 .. workers-1, worker 0 on the calling
// thread, and returns when every one has ended.
void OnWorkers(int workers, const std::function<void(int worker)>& body);

// Hands out the rows 0, 1, 2, ... each to exactly one caller.
class RowDispenser {
 public:
  explicit RowDispenser(const FileList& rows) : rows_(rows) {}
  // The next row nobody has taken; false once the rows are used up.
  bool Next(std::size_t* row);

 private:
  const FileList& rows_;
  std::atomic<std::size_t> next_{0};
};

// The run's progress by finished rows: `bar` at finished x scale / total
// and status part 1 "finished/total", never going back.
class FinishedRows {
 public:
  FinishedRows(RunHost& host, Control bar, std::size_t total, std::size_t scale)
      : host_(host), bar_(bar), total_(total), scale_(scale) {}
  void Finished();

 private:
  RunHost& host_;
  Control bar_;
  std::size_t total_, scale_;
  std::mutex m_;
  std::size_t finished_ = 0;
};

}  // namespace pictray
