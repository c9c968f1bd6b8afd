// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/emulator_server.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tavrin::emulator {

using Clock = LoggerEmulator::Clock;
using namespace std::chrono_literals;

constexpr auto kHangUpSettle = 50ms;
constexpr auto kHangUpPatience = 5s;
constexpr auto kHangUpCheck = 10ms;

EmulatorServer::EmulatorServer(PseudoTerminal pty, LoggerMemory memory, EmulatorOptions options,
                               uint32_t baud)
    : pty_(std::move(pty)),
      writer_(pty_.MasterFd(), baud, Clock::now()),
      engine_(std::move(memory), options,
              [this](std::span<const uint8_t> bytes) { writer_.Enqueue(bytes); }) {}

ServeEnd EmulatorServer::Serve(int stopFd, std::string& error) {
  while (true) {
    const auto now = Clock::now();
    if (!writer_.Flush(now, error)) return ServeEnd::kFailed;
    if (writer_.Empty()) {
      engine_.OutputDrained(now);
      if (engine_.HangUpRequested() && ReadyToHangUp(now)) {
        pty_.Close();
        return ServeEnd::kHungUp;
      }
    }
    engine_.Poll(now);
    if (!writer_.Empty() && writer_.WantsWritable(now)) {
      // Poll just queued something the line can take at once.
      if (!writer_.Flush(now, error)) return ServeEnd::kFailed;
    }
    pollfd fds[2] = {{pty_.MasterFd(), POLLIN, 0}, {stopFd, POLLIN, 0}};
    if (writer_.WantsWritable(now)) fds[0].events |= POLLOUT;
    const int ready = ::poll(fds, 2, PollTimeoutMs(now));
    if (ready < 0 && errno != EINTR) {
      error = std::string("cannot wait for the pseudo-terminal: ") + std::strerror(errno);
      return ServeEnd::kFailed;
    }
    if (ready <= 0) continue;
    if (fds[1].revents != 0) return ServeEnd::kStopped;
    if ((fds[0].revents & POLLIN) && !ReadFromHost(Clock::now(), error)) return ServeEnd::kFailed;
    if (!(fds[0].revents & (POLLIN | POLLOUT)) &&
        (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL))) {
      error = "the pseudo-terminal reported an error";
      return ServeEnd::kFailed;
    }
  }
}

bool EmulatorServer::ReadFromHost(Clock::time_point now, std::string& error) {
  uint8_t buffer[4096];
  const ssize_t got = ::read(pty_.MasterFd(), buffer, sizeof buffer);
  if (got > 0) {
    engine_.Receive(std::span<const uint8_t>(buffer, static_cast<size_t>(got)), now);
    return true;
  }
  if (got < 0 && (errno == EAGAIN || errno == EINTR || errno == EWOULDBLOCK)) return true;
  error = got == 0 ? "the pseudo-terminal was closed"
                   : std::string("cannot read from the pseudo-terminal: ") + std::strerror(errno);
  return false;
}

// Closing the master throws away what the host has not read yet, so the last sector would never
// arrive: wait until the host has taken it, or has clearly stopped reading. The kernel hands
// written bytes on to the slave a little later, so an empty slave right after the write proves
// nothing; only one that is still empty after a short settling time does.
bool EmulatorServer::ReadyToHangUp(Clock::time_point now) {
  if (!hangUpSince_) hangUpSince_ = now;
  const auto waited = now - *hangUpSince_;
  return (waited >= kHangUpSettle && pty_.UnreadByHost() == 0) || waited > kHangUpPatience;
}

int EmulatorServer::PollTimeoutMs(Clock::time_point now) const {
  std::optional<Clock::time_point> wake = engine_.NextDeadline();
  if (hangUpSince_) wake = now + kHangUpCheck;
  if (const auto write = writer_.NextWriteTime(now)) wake = wake ? std::min(*wake, *write) : *write;
  if (!wake) return -1;
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*wake - now).count();
  return static_cast<int>(std::clamp<long long>(wait, 0, 60'000));
}

}  // namespace tavrin::emulator
