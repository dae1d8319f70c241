// The small pool inside the runs that read or decode files: the rows are
// handed out one at a time to a few workers, each with its own state, so
// that every row gets the result it would get on one thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/fs/read_hint.h"
#include "engine/fs/read_only_file.h"
#include "engine/list/file_list.h"
#include "engine/run/command_ids.h"
#include "engine/run/run_state.h"
#include "engine/run/pictray_state.h"
#include "engine/run/run_host.h"
#include "engine/settings/profile.h"

namespace pictray {

// One worker per core, at most four (each decodes a whole picture at once,
// and more would only add memory), and at most `limit` when it is above 0.
int RowWorkers(int limit);

// The workers of a run's pool: RowWorkers limited by the state's PoolMax
// when set, else by the "PoolMax" setting of the run's settings.
int PoolWorkers(const PictrayState& st, const ProfileSnapshot& profile);

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

// The run's progress by finished rows, never going back. The host hears of
// it at most every 40 ms and at the last row, not per row.
class FinishedRows {
 public:
  FinishedRows(RunHost& host, int command, std::size_t total) : host_(host), command_(command), total_(total) {}
  void Finished();

 private:
  RunHost& host_;
  int command_;
  std::size_t total_;
  std::mutex m_;
  std::size_t finished_ = 0;
  std::chrono::steady_clock::time_point shown_{};
};

// Which bytes of a file a run reads: the first `head` and the last `tail`
// bytes, or the whole file when both are 0.
struct ReadAhead {
  std::uint64_t head = 0, tail = 0;
  // How many rows ahead of the one taken the files are announced; 0: none.
  std::size_t depth = 0;
};

// Files opened for rows ahead of the workers, each handed to its row's
// work: a file is opened once, whether announced or not. A row's file is
// opened ahead only while its work has not begun; work that begins while
// it is being opened waits for it.
class AheadFiles {
 public:
  explicit AheadFiles(std::size_t rows) : state_(rows, State::None) {}
  // Whether the caller is to open `row`'s file (and then Keep it): only
  // while nobody has opened it or begun its work.
  bool Claim(std::size_t row);
  // Hands over the file of a claimed row; null when it could not be made.
  void Keep(std::size_t row, std::unique_ptr<fs::ReadOnlyFile> file);
  // Begins `row`'s work: the file opened ahead for it, or null when there
  // is none (the work opens it).
  std::unique_ptr<fs::ReadOnlyFile> Take(std::size_t row);

 private:
  enum class State : unsigned char { None, Claimed, Kept, Begun };
  std::mutex m_;
  std::condition_variable kept_;
  std::vector<State> state_;
  std::unordered_map<std::size_t, std::unique_ptr<fs::ReadOnlyFile>> files_;
};

// Opens `path` for `row` ahead of its work and announces the bytes `ahead`
// names to the kernel, as `hints` paces it; nothing when the row is taken.
void OpenAhead(AheadFiles& opened, std::size_t row, const fs::Env& env, const std::string& path, ReadAhead ahead,
               HintPacer& hints);

// Works every row of `rows` on `workers` workers: work(worker, row, file)
// for each row that wanted(row) accepts, by exactly one worker, with the
// row's file (folder + "/" + name) opened through `env`, counting every row
// in `progress`. While a worker works on a row, the file of a row
// `ahead.depth` further on is opened and announced to the kernel, and kept
// for that row's work. A worker stops before its next row once `val` is
// aborted. True when the abort left rows undone.
bool WorkRowsOnPool(const fs::Env& env, int workers, const FileList& rows, const std::string& folder, const ParamBlock& val,
                    FinishedRows& progress, ReadAhead ahead, const std::function<bool(std::size_t)>& wanted,
                    const std::function<void(int worker, std::size_t row, const fs::ReadOnlyFile& file)>& work);

}  // namespace pictray
