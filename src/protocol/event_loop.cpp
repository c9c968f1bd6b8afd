// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/event_loop.h"

namespace tavrin {

void EventLoop::Post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  wake_.notify_one();
}

void EventLoop::StartTimer(int id, std::chrono::milliseconds delay, std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    timers_[id] = Timer{Clock::now() + delay, std::move(task)};
  }
  wake_.notify_one();
}

void EventLoop::StopTimer(int id) {
  std::lock_guard lock(mutex_);
  timers_.erase(id);
}

std::function<void()> EventLoop::Next(Clock::time_point until) {
  std::unique_lock lock(mutex_);
  while (true) {
    if (!tasks_.empty()) {
      auto task = std::move(tasks_.front());
      tasks_.pop_front();
      return task;
    }
    auto soonest = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
      if (soonest == timers_.end() || it->second.due < soonest->second.due) soonest = it;
    }
    const auto now = Clock::now();
    if (soonest != timers_.end() && soonest->second.due <= now) {
      auto task = std::move(soonest->second.task);
      timers_.erase(soonest);  // one-shot: stopped before it runs
      return task;
    }
    if (now >= until) return nullptr;
    const auto wakeAt =
        soonest != timers_.end() && soonest->second.due < until ? soonest->second.due : until;
    wake_.wait_until(lock, wakeAt);
  }
}

bool EventLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto until = Clock::now() + timeout;
  while (!done()) {
    auto task = Next(until);
    if (!task) return done();
    task();
  }
  return true;
}

void EventLoop::RunFor(std::chrono::milliseconds duration) {
  RunUntil([] { return false; }, duration);
}

}  // namespace tavrin
