// SPDX-License-Identifier: GPL-3.0-or-later
// A small event loop for front ends without a GUI toolkit (the command line, tests): tasks
// posted from any thread and one-shot timers by id, run on the thread that calls Run*. It
// sleeps while there is nothing to do.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

namespace tavrin {

class EventLoop {
 public:
  using Clock = std::chrono::steady_clock;

  // Safe from any thread.
  void Post(std::function<void()> task);
  // Starting a timer that is running restarts it.
  void StartTimer(int id, std::chrono::milliseconds delay, std::function<void()> task);
  void StopTimer(int id);

  // Runs tasks and due timers until `done` returns true (checked after each) or `timeout`
  // passes. Returns whether `done` came true.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  void RunFor(std::chrono::milliseconds duration);

 private:
  struct Timer {
    Clock::time_point due;
    std::function<void()> task;
  };
  // Takes the next task or due timer; waits until `until` at most. Empty when none came.
  std::function<void()> Next(Clock::time_point until);

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> tasks_;
  std::map<int, Timer> timers_;
};

}  // namespace tavrin
