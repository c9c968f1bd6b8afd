// SPDX-License-Identifier: GPL-3.0-or-later
// When a read on arrival is tried again. A logger just plugged in may still be scanning its
// memory (its figures do not add up yet), and udev may not yet have handed its port to the user:
// both pass within seconds. So the window and tavrin watch try such a logger again every 3 s,
// for up to 30 s after it arrived, rather than waiting for it to be plugged in again.
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tavrin {

class ArrivalRetries {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::seconds kPause{3};
  static constexpr std::chrono::seconds kLongest{30};

  // The port arrived: its first try is due now.
  void Arrived(const std::string& port, Clock::time_point now);
  // The port left, or its try ended in a way that will not pass: no more tries.
  void Forget(const std::string& port);
  // The try failed in a way that may pass: true when another is due kPause later, false when
  // kLongest is up (the port is forgotten, and the failure stands).
  bool TryAgain(const std::string& port, Clock::time_point now);
  // The ports whose try is due by `now`, in name order; each stays due until Forget or TryAgain.
  std::vector<std::string> Due(Clock::time_point now) const;
  // When the next try is due; empty while none waits.
  std::optional<Clock::time_point> NextDue() const;

 private:
  struct Tries {
    Clock::time_point arrived;
    Clock::time_point next;
  };
  std::map<std::string, Tries> ports_;
};

// Whether opening a port failed in a way that passes by itself as a logger settles: the device
// not handed to the user yet, or held for a moment by the system's modem probe.
bool OpenFailureMayPass(int error);

}  // namespace tavrin
