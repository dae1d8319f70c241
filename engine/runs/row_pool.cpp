#include "engine/runs/row_pool.h"

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "engine/fs/read_hint.h"
#include "engine/fs/unique_fd.h"
#include "engine/runs/run_steps.h"
#include "engine/settings/settings_keys.h"

namespace pictray {

int RowWorkers(int limit) {
  const int cores = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
  return limit > 0 ? std::min(cores, limit) : cores;
}

CoreLoad ReadCoreLoad(const fs::Env& env) {
  CoreLoad load;
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0) load.allowed = std::max(1, CPU_COUNT(&set));
  load.online = std::max(1L, ::sysconf(_SC_NPROCESSORS_ONLN));
  // "0.52 0.58 0.59 3/171 4242": the fourth field is runnable/all.
  const UniqueFd fd(env, env.Open(AT_FDCWD, "/proc/loadavg", O_RDONLY | O_CLOEXEC));
  char text[128] = {};
  if (fd.get() < 0 || env.Read(fd.get(), text, sizeof text - 1) <= 0) return load;
  int runnable = 0;
  if (std::sscanf(text, "%*s %*s %*s %d/", &runnable) == 1 && runnable > 0) load.runnable = runnable;
  return load;
}

int FreeCoreWorkers(const CoreLoad& load, int limit) {
  const int busyElsewhere = std::max(0, load.runnable - 1);
  const int spare = std::clamp(std::min(load.allowed, load.online - busyElsewhere), 1, 4);
  return limit > 0 ? std::min(spare, limit) : spare;
}

int PoolWorkers(const PictrayState& st, const ProfileSnapshot& profile) {
  const int forced = st.PoolMax.load();
  if (forced > 0) return RowWorkers(forced);
  return FreeCoreWorkers(ReadCoreLoad(*st.env), std::atoi(ReadSetting(key::PoolMax, profile).c_str()));
}

void OnWorkers(int workers, const std::function<void(int worker)>& body) {
  std::vector<std::thread> others;
  for (int w = 1; w < workers; ++w) others.emplace_back(body, w);
  body(0);
  for (std::thread& t : others) t.join();
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
  host_.SetProgress(bar_, static_cast<int>(total_ ? finished_ * scale_ / total_ : 0));
  if (status_) host_.SetStatusText(1, Counter(finished_, total_));
}

bool WorkRowsOnPool(const fs::Env& env, int workers, const FileList& rows, const std::string& folder, const ParamBlock& val,
                    FinishedRows& progress, ReadAhead ahead, const std::function<bool(std::size_t)>& wanted,
                    const std::function<void(int worker, std::size_t row)>& work) {
  RowDispenser dispenser(rows);
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
      if (ahead.depth > 0 && wanted(i + ahead.depth) && hints.Due()) {
        const std::string name = rows.name(i + ahead.depth);
        if (!name.empty()) hints.Saw(HintWillRead(env, RowPath(folder, name), ahead.head, ahead.tail));
      }
      if (wanted(i)) work(worker, i);
      progress.Finished();
    }
  });
  return stopped;
}

}  // namespace pictray
