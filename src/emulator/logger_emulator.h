// SPDX-License-Identifier: GPL-3.0-or-later
// The logger's side of the serial line, free of any file descriptor: bytes from the host go in
// through Receive, answers go out through a sink, and Poll drives the erase steps and the wait for
// acknowledgements. A server (or a test) feeds it and tells it when its output has left.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/command_reader.h"
#include "emulator/logger_memory.h"
#include "emulator/read_transfer.h"

namespace tavrin::emulator {

// Named faults, all off (0) by default. Items count the points of a transfer from 1, sectors
// count from 1.
struct Faults {
  ItemFaults items;
  size_t stopAfterSector = 0;      // after this sector nothing more of the transfer is sent
  size_t hangUpAfterSector = 0;    // after this sector the logger leaves the line
  size_t timeOverAfterSector = 0;  // after this sector the logger gives up with Time Over
};

struct EmulatorOptions {
  std::chrono::milliseconds ackTimeout{3000};
  std::chrono::milliseconds eraseDelay{20};
  ControlForm control = ControlForm::kAuto;
  Faults faults;
  // For this long after it starts the logger is still scanning its memory, as one just plugged
  // in may be: its device information gives no sector positions, so its figures do not add up.
  std::chrono::milliseconds scanning{0};
};

class LoggerEmulator {
 public:
  using Clock = std::chrono::steady_clock;
  using Sink = std::function<void(std::span<const uint8_t>)>;

  LoggerEmulator(LoggerMemory memory, EmulatorOptions options, Sink sink);

  // Bytes the host wrote, in any pieces.
  void Receive(std::span<const uint8_t> bytes, Clock::time_point now);
  // Everything handed to the sink so far has left; the wait for an acknowledgement starts now.
  void OutputDrained(Clock::time_point now);
  // Sends what is due by `now`: erase progress, Time Over.
  void Poll(Clock::time_point now);
  // When Poll next has something to do; empty while nothing is timed.
  std::optional<Clock::time_point> NextDeadline() const;

  // The hang-up fault has struck: the server closes the line once the output has left.
  bool HangUpRequested() const { return hangUp_; }
  bool TransferRunning() const { return transfer_.has_value(); }
  const LoggerMemory& Memory() const { return memory_; }

 private:
  // kAwaitingEndAck: Success has gone out; the host's acknowledgement of it marks the points of
  // a read of new tracks as read, anything else leaves them new.
  enum class Phase { kIdle, kAwaitingAck, kAwaitingEndAck, kSilent, kErasing };

  void HandleLine(std::string_view line, Clock::time_point now);
  void HandleCommand200(const std::vector<std::string_view>& fields, Clock::time_point now);
  void SendInformation(Clock::time_point now);
  void StoreOptions(const std::vector<std::string_view>& fields);
  void StoreNotes(const std::vector<std::string_view>& fields);
  void StartErase(Clock::time_point now);
  void StartRead(int mode, const std::vector<std::string_view>& fields);
  void SendNextSector();
  void ResendLastBlock();
  void FinishRead();
  void AwaitAck();
  void EndTransfer();
  void Send(std::span<const uint8_t> bytes);
  void Send(const std::string& text);

  LoggerMemory memory_;
  EmulatorOptions options_;
  Sink sink_;
  CommandReader reader_;
  Phase phase_ = Phase::kIdle;
  std::optional<ReadTransfer> transfer_;
  std::optional<Clock::time_point> ackDeadline_;  // set once the block awaiting its ack has left
  uint32_t eraseNext_ = 0;                        // next sector an erase reports
  Clock::time_point eraseNextAt_{};
  bool hangUp_ = false;
  Clock::time_point scanningUntil_;
};

}  // namespace tavrin::emulator
