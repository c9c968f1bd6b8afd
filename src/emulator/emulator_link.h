// SPDX-License-Identifier: GPL-3.0-or-later
// The emulated logger inside the program: a link that hands what the session writes straight to
// the emulator's engine and its answers straight back, with no device and no thread. The tests
// drive the session through it, and the window offers it as the built-in logger.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "emulator/logger_emulator.h"
#include "serial/logger_link.h"

namespace tavrin::emulator {

class EmulatorLink : public ILoggerLink {
 public:
  using Clock = LoggerEmulator::Clock;
  using ClockFn = std::function<Clock::time_point()>;

  // `clock` tells the engine the time; tests hand in a clock they move on themselves.
  EmulatorLink(
      LoggerMemory memory, EmulatorOptions options, std::string name,
      ClockFn clock = [] { return Clock::now(); });
  EmulatorLink(const EmulatorLink&) = delete;
  EmulatorLink& operator=(const EmulatorLink&) = delete;

  // ILoggerLink
  void Start(Events events) override;
  size_t Write(const uint8_t* data, size_t length) override;
  void AcknowledgeDataArrived() override;
  size_t Waiting() const override { return arrived_.size() - head_; }
  bool TakeByte(uint8_t& byte) override;
  bool Close() override;
  bool IsOpen() const override { return open_; }
  const std::string& Name() const override { return name_; }
  void SetTrace(ByteTrace* trace) override { trace_ = trace; }

  // Runs the logger's timed steps that are due: erase progress, Time Over when no
  // acknowledgement came. The host calls it at NextDeadline, or every few milliseconds.
  void Poll();
  std::optional<Clock::time_point> NextDeadline() const { return engine_.NextDeadline(); }
  const LoggerMemory& Memory() const { return engine_.Memory(); }

 private:
  void FromLogger(std::span<const uint8_t> bytes);
  void Announce();
  void CheckHangUp();

  std::string name_;
  ClockFn clock_;
  LoggerEmulator engine_;
  Events events_;
  bool started_ = false;
  bool open_ = true;
  bool announced_ = false;
  bool hungUp_ = false;
  std::vector<uint8_t> arrived_;
  size_t head_ = 0;
  ByteTrace* trace_ = nullptr;
};

}  // namespace tavrin::emulator
