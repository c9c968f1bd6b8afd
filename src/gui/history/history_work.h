// SPDX-License-Identifier: GPL-3.0-or-later
// The thread that owns the History page's index: an SQLite connection serves one thread at a
// time, so every use of the index (bringing it up to date, listing a period's tracks, finding
// the passages through a place) is a job run there, one after the other, while the window goes
// on. Closing the window stops a long update where it is; what was indexed is kept.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "index/history_index.h"

namespace tavrin::gui {

class HistoryWork {
 public:
  using Job = std::function<void(index::HistoryIndex&, const std::atomic<bool>& stop)>;

  // `reporter` is called on the work's thread.
  HistoryWork(std::string dataFolder, TrackFileProblemFn reporter);
  ~HistoryWork();
  HistoryWork(const HistoryWork&) = delete;
  HistoryWork& operator=(const HistoryWork&) = delete;

  // Runs `job` on the work's thread after the jobs posted before it.
  void Post(Job job);
  // Stops the job running (an update ends early, keeping what it did), drops those waiting and
  // waits for the thread to end.
  void Stop();

 private:
  void Run();

  index::HistoryIndex index_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  std::atomic<bool> stop_{false};
  std::thread thread_;  // last: it starts once the rest is made
};

}  // namespace tavrin::gui
