// SPDX-License-Identifier: GPL-3.0-or-later
// An event loop on a clock of its own: posted tasks run at once, and when none wait the clock
// jumps to the next timer or deadline. Session tests run on it without sleeping, however long
// the timers; it has EventLoop's calls, so a test host works on either.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

namespace tavrin::test {

class VirtualLoop {
 public:
  using Clock = std::chrono::steady_clock;

  // Something with deadlines of its own, such as the emulated logger's wait for an
  // acknowledgement: `next` says when it is next due, `fire` runs it.
  struct DeadlineSource {
    std::function<std::optional<Clock::time_point>()> next;
    std::function<void()> fire;
  };

  Clock::time_point Now() const { return now_; }

  void Post(std::function<void()> task) { tasks_.push_back(std::move(task)); }
  void StartTimer(int id, std::chrono::milliseconds delay, std::function<void()> task) {
    timers_[id] = Timer{now_ + delay, std::move(task)};
  }
  void StopTimer(int id) { timers_.erase(id); }
  void AddDeadlineSource(DeadlineSource source) { sources_.push_back(std::move(source)); }

  // Runs tasks, timers and deadlines in time order until `done` (checked after each) or until
  // `timeout` of this loop's time has passed. Returns whether `done` came true.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const Clock::time_point until = now_ + timeout;
    for (size_t steps = 0; !done(); ++steps) {
      // A deadline that stays due after it fired would spin here for ever.
      if (steps > kMostSteps) throw std::runtime_error("the virtual loop does not settle");
      if (!tasks_.empty()) {
        auto task = std::move(tasks_.front());
        tasks_.pop_front();
        task();
        continue;
      }
      if (!RunNextDue(until)) {
        now_ = until;
        return done();
      }
    }
    return true;
  }
  void RunFor(std::chrono::milliseconds duration) {
    RunUntil([] { return false; }, duration);
  }

 private:
  static constexpr size_t kMostSteps = 50'000'000;

  struct Timer {
    Clock::time_point due;
    std::function<void()> task;
  };

  // Moves the clock to the soonest timer or deadline not after `until` and runs it; false when
  // there is none.
  bool RunNextDue(Clock::time_point until) {
    std::optional<Clock::time_point> soonest;
    int timerId = 0;
    const DeadlineSource* source = nullptr;
    for (const auto& [id, timer] : timers_) {
      if (!soonest || timer.due < *soonest) {
        soonest = timer.due;
        timerId = id;
      }
    }
    for (const DeadlineSource& s : sources_) {
      if (const auto due = s.next(); due && (!soonest || *due < *soonest)) {
        soonest = due;
        source = &s;
      }
    }
    if (!soonest || *soonest > until) return false;
    if (*soonest > now_) now_ = *soonest;
    if (source != nullptr) {
      source->fire();
    } else {
      auto task = std::move(timers_[timerId].task);
      timers_.erase(timerId);  // one-shot: stopped before it runs
      task();
    }
    return true;
  }

  Clock::time_point now_ = Clock::now();
  std::deque<std::function<void()>> tasks_;
  std::map<int, Timer> timers_;
  std::vector<DeadlineSource> sources_;
};

}  // namespace tavrin::test
