#include "engine/runs/row_pool.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

#include "engine/fs/on_threads.h"
#include "engine/fs/read_hint.h"
#include "engine/runs/run_steps.h"
#include "engine/settings/settings_keys.h"

namespace pictray {

int RowWorkers(int limit) {
  const int cores = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
  return limit > 0 ? std::min(cores, limit) : cores;
}

int PoolWorkers(const PictrayState& st, const ProfileSnapshot& profile) {
  const int forced = st.PoolMax.load();
  if (forced > 0) return RowWorkers(forced);
  return RowWorkers(std::atoi(ReadSetting(key::PoolMax, profile).c_str()));
}

void OnWorkers(int workers, const std::function<void(int worker)>& body) {
  fs::OnThreads(static_cast<unsigned>(std::max(workers, 1)), [&](unsigned w) { body(static_cast<int>(w)); });
}

bool RowDispenser::Next(std::size_t* row) {
  const std::size_t i = next_.fetch_add(1);
  if (i >= rows_.ListMax()) return false;
  *row = i;
  return true;
}

void FinishedRows::Finished() {
  // One at a time, so that the numbers shown only grow.
  std::lock_guard<std::mutex> l(m_);
  ++finished_;
  const auto now = std::chrono::steady_clock::now();
  if (finished_ < total_ && now - shown_ < std::chrono::milliseconds(40)) return;
  shown_ = now;
  host_.Progressed(RunProgress::Done(command_, finished_, total_));
}

bool AheadFiles::Claim(std::size_t row) {
  std::lock_guard<std::mutex> l(m_);
  if (row >= state_.size() || state_[row] != State::None) return false;
  state_[row] = State::Claimed;
  return true;
}

void AheadFiles::Keep(std::size_t row, std::unique_ptr<fs::ReadOnlyFile> file) {
  {
    std::lock_guard<std::mutex> l(m_);
    if (file) files_[row] = std::move(file);
    state_[row] = State::Kept;
  }
  kept_.notify_all();
}

std::unique_ptr<fs::ReadOnlyFile> AheadFiles::Take(std::size_t row) {
  std::unique_lock<std::mutex> l(m_);
  if (row >= state_.size()) return nullptr;
  // Its opener is between an open and a hint, neither of which waits.
  kept_.wait(l, [&] { return state_[row] != State::Claimed; });
  state_[row] = State::Begun;
  const auto it = files_.find(row);
  if (it == files_.end()) return nullptr;
  std::unique_ptr<fs::ReadOnlyFile> file = std::move(it->second);
  files_.erase(it);
  return file;
}

void OpenAhead(AheadFiles& opened, std::size_t row, const fs::Env& env, const std::string& path, ReadAhead ahead,
               HintPacer& hints) {
  if (!opened.Claim(row)) return;
  std::unique_ptr<fs::ReadOnlyFile> file;
  try {
    file = std::make_unique<fs::ReadOnlyFile>(env, path);
    hints.Saw(HintWillRead(*file, ahead.head, ahead.tail));
  } catch (const std::bad_alloc&) {
    // Handed over as none: the row's work opens the file itself.
  }
  opened.Keep(row, std::move(file));
}

bool WorkRowsOnPool(const fs::Env& env, int workers, const FileList& rows, const std::string& folder, const ParamBlock& val,
                    FinishedRows& progress, ReadAhead ahead, const std::function<bool(std::size_t)>& wanted,
                    const std::function<void(int worker, std::size_t row, const fs::ReadOnlyFile& file)>& work) {
  RowDispenser dispenser(rows);
  // Those of rows never worked (an abort) are closed when the pool ends.
  AheadFiles opened(rows.ListMax());
  // Set by a worker that met the abort with rows left; an abort that comes
  // after the last row changes nothing.
  std::atomic<bool> stopped{false};
  OnWorkers(workers, [&](int worker) {
    std::size_t i = 0;
    HintPacer hints;
    while (dispenser.Next(&i)) {
      if (val.Aborted()) {
        stopped = true;
        break;
      }
      if (const std::size_t later = i + ahead.depth; ahead.depth > 0 && wanted(later) && hints.Due()) {
        const std::string name = rows.name(later);
        if (!name.empty()) OpenAhead(opened, later, env, RowPath(folder, name), ahead, hints);
      }
      if (wanted(i)) {
        std::unique_ptr<fs::ReadOnlyFile> file = opened.Take(i);
        if (!file) file = std::make_unique<fs::ReadOnlyFile>(env, RowPath(folder, rows.name(i)));
        work(worker, i, *file);
      }
      progress.Finished();
    }
  });
  return stopped;
}

}  // namespace pictray
