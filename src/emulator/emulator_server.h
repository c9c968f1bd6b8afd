// SPDX-License-Identifier: GPL-3.0-or-later
// Serves the logger emulator on a pseudo-terminal: reads what the host writes, feeds the engine,
// writes its answers at the chosen pace and tells it when they have left.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "emulator/logger_emulator.h"
#include "emulator/paced_writer.h"
#include "emulator/pseudo_terminal.h"

namespace tavrin::emulator {

enum class ServeEnd {
  kStopped,  // the stop descriptor became readable (a signal arrived)
  kHungUp,   // the hang-up fault struck: the line is closed
  kFailed,   // the pseudo-terminal failed; the reason is in the error text
};

class EmulatorServer {
 public:
  EmulatorServer(PseudoTerminal pty, LoggerMemory memory, EmulatorOptions options, uint32_t baud);
  EmulatorServer(const EmulatorServer&) = delete;
  EmulatorServer& operator=(const EmulatorServer&) = delete;

  const std::string& SlavePath() const { return pty_.SlavePath(); }
  // Serves until `stopFd` (a signalfd, a pipe) becomes readable or the line is hung up.
  ServeEnd Serve(int stopFd, std::string& error);
  const LoggerMemory& Memory() const { return engine_.Memory(); }

 private:
  bool ReadFromHost(LoggerEmulator::Clock::time_point now, std::string& error);
  int PollTimeoutMs(LoggerEmulator::Clock::time_point now) const;
  bool ReadyToHangUp(LoggerEmulator::Clock::time_point now);

  PseudoTerminal pty_;
  PacedWriter writer_;
  LoggerEmulator engine_;
  std::optional<LoggerEmulator::Clock::time_point> hangUpSince_;
};

}  // namespace tavrin::emulator
