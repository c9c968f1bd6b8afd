// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/history/history_work.h"

namespace tavrin::gui {

HistoryWork::HistoryWork(std::string dataFolder, TrackFileProblemFn reporter)
    : index_(std::move(dataFolder), std::move(reporter)), thread_([this] { Run(); }) {}

HistoryWork::~HistoryWork() {
  Stop();
}

void HistoryWork::Post(Job job) {
  {
    const std::lock_guard lock(mutex_);
    if (stop_) return;
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
}

void HistoryWork::Stop() {
  {
    const std::lock_guard lock(mutex_);
    stop_ = true;
    jobs_.clear();
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void HistoryWork::Run() {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
      if (stop_) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    job(index_, stop_);
  }
}

}  // namespace tavrin::gui
