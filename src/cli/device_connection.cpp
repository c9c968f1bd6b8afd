// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/device_connection.h"

#include <cerrno>
#include <cstring>
#include <iostream>

#include "serial/arrival_retries.h"
#include "serial/port_discovery.h"

namespace tavrin::cli {

void Fail(const std::string& text) {
  std::cerr << "tavrin: " << text << "\n";
}

DeviceConnection::DeviceConnection(const GlobalOptions& global, const PortOptions& options)
    : global_(global),
      options_(options),
      context_(global),
      host_(global.verbose, options.progress),
      session_(host_, context_.Store()) {
  host_.Attach(&session_);
}

DeviceConnection::~DeviceConnection() {
  host_.FinishProgress();
  session_.Disconnect();
}

std::chrono::milliseconds DeviceConnection::Silence() const {
  return std::chrono::milliseconds(static_cast<long long>(options_.timeoutSeconds * 1000));
}

bool DeviceConnection::Connect() {
  if (!context_.Prepare(options_.storesTracks)) return false;
  std::string device = options_.port;
  int baud = options_.baud;
  if (const auto port = PortDiscovery::ForThisSystem().Find(options_.port)) {
    device = port->devicePath;
    if (baud == 0) baud = port->DefaultBaud();
  }
  if (baud == 0) baud = kSerialBauds[kSerialDefaultBaudIndex];
  if (!global_.tracePath.empty()) {
    auto trace = ByteTrace::Open(global_.tracePath);
    if (!trace) {
      Fail(trace.Error().reason);
      return false;
    }
    trace_ = std::move(*trace);
    session_.SetTrace(trace_.get());
  }
  session_.SetPort(device, static_cast<uint32_t>(baud));
  if (!session_.Connect()) {
    if (options_.holdNotReady && OpenFailureMayPass(session_.OpenErrorNumber())) {
      notReady_ = session_.OpenError();
    } else {
      Fail(session_.OpenError());
    }
    return false;
  }
  return true;
}

DeviceConnection::Ended DeviceConnection::WaitQuietly(const std::function<bool()>& done) {
  const auto result = host_.RunUntil(
      [&] { return done() || host_.ConnectionWasLost() || !session_.IsConnected(); }, Silence());
  host_.FinishProgress();
  if (result == CliHost::Wait::Interrupted) return Ended::Interrupted;
  if (result == CliHost::Wait::Silent) return Ended::Silent;
  return host_.ConnectionWasLost() || !session_.IsConnected() ? Ended::Lost : Ended::Done;
}

bool DeviceConnection::Wait(const std::function<bool()>& done, const char* what) {
  switch (WaitQuietly(done)) {
    case Ended::Interrupted:
      Fail(std::string("stopped by the user while waiting for ") + what + ".");
      return false;
    case Ended::Silent:
      Fail("no answer from the logger on " + session_.PortDevice() + " within " +
           std::to_string(Silence().count() / 1000) + " s while waiting for " + what +
           ". Check that the logger is switched on and that the port and baud rate are right.");
      return false;
    case Ended::Lost:  // the session's message has told it already
      return false;
    case Ended::Done:
      return true;
  }
  return false;
}

bool DeviceConnection::RunOperation(Operation operation, Command command,
                                    const CommandInputs& inputs, const char* what) {
  const size_t before = host_.EndedCount();
  session_.SendCommand(command, inputs);
  const auto ended = [&] { return host_.Ended(operation, before).has_value(); };
  // The session has told what went wrong; the outcome only decides the exit status.
  return Wait(ended, what) && host_.Ended(operation, before)->outcome == Outcome::Done;
}

bool DeviceConnection::ReadInfo() {
  return RunOperation(Operation::Info, Command::GetInfo, {}, "the device information");
}

}  // namespace tavrin::cli
