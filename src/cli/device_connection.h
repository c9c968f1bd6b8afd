// SPDX-License-Identifier: GPL-3.0-or-later
// One connection to the logger for one command: the store, the session, its host and the port.
#pragma once

#include <memory>
#include <string>

#include "cli/cli_context.h"
#include "cli/cli_host.h"
#include "protocol/logger_session.h"
#include "serial/byte_trace.h"

namespace tavrin::cli {

struct PortOptions {
  std::string port;
  int baud = 0;  // 0: the port's usual rate
  double timeoutSeconds = 10;
  bool storesTracks = false;  // the command writes track files: the data folder must take them
  ProgressLines progress = ProgressLines::Always;
  // A port that cannot be opened yet, for a reason that passes (ArrivalRetries), is not told of
  // on stderr: the caller tries again and tells of it when it gives up.
  bool holdNotReady = false;
};

class DeviceConnection {
 public:
  DeviceConnection(const GlobalOptions& global, const PortOptions& options);
  ~DeviceConnection();

  // Opens the port; false with the reason on stderr, or in NotReady() when held.
  bool Connect();
  // Why the port could not be opened yet, when that may pass and holdNotReady held it back.
  const std::string& NotReady() const { return notReady_; }
  // Asks for the device information and waits for the full answer; false with the reason on
  // stderr.
  bool ReadInfo();
  // Sends `command` and waits until its operation ends; true when it ended as done.
  bool RunOperation(Operation operation, Command command, const CommandInputs& inputs,
                    const char* what);
  // Waits until `done` while the logger keeps talking; false with the reason on stderr.
  bool Wait(const std::function<bool()>& done, const char* what);
  // The same without a word: why the wait ended.
  enum class Ended { Done, Interrupted, Silent, Lost };
  Ended WaitQuietly(const std::function<bool()>& done);

  CliContext& Context() { return context_; }
  CliHost& Host() { return host_; }
  LoggerSession& Session() { return session_; }
  std::chrono::milliseconds Silence() const;

 private:
  GlobalOptions global_;
  PortOptions options_;
  CliContext context_;
  CliHost host_;
  LoggerSession session_;
  std::unique_ptr<ByteTrace> trace_;
  std::string notReady_;
};

// Prints "tavrin: <text>" on stderr.
void Fail(const std::string& text);

}  // namespace tavrin::cli
