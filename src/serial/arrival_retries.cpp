// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/arrival_retries.h"

#include <cerrno>

namespace tavrin {

void ArrivalRetries::Arrived(const std::string& port, Clock::time_point now) {
  ports_.insert_or_assign(port, Tries{now, now});
}

void ArrivalRetries::Forget(const std::string& port) {
  ports_.erase(port);
}

bool ArrivalRetries::TryAgain(const std::string& port, Clock::time_point now) {
  const auto found = ports_.find(port);
  if (found == ports_.end()) return false;
  if (now + kPause > found->second.arrived + kLongest) {
    ports_.erase(found);
    return false;
  }
  found->second.next = now + kPause;
  return true;
}

std::vector<std::string> ArrivalRetries::Due(Clock::time_point now) const {
  std::vector<std::string> due;
  for (const auto& [port, tries] : ports_) {
    if (tries.next <= now) due.push_back(port);
  }
  return due;
}

std::optional<ArrivalRetries::Clock::time_point> ArrivalRetries::NextDue() const {
  std::optional<Clock::time_point> next;
  for (const auto& [port, tries] : ports_) {
    if (!next || tries.next < *next) next = tries.next;
  }
  return next;
}

bool OpenFailureMayPass(int error) {
  return error == EACCES || error == EPERM || error == EBUSY || error == EWOULDBLOCK;
}

}  // namespace tavrin
