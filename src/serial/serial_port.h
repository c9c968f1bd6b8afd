// SPDX-License-Identifier: GPL-3.0-or-later
// The serial port the logger sits on: a tty device (USB ACM, USB serial, 16550 or a
// pseudo-terminal) in raw 8N1 mode, and a watch thread that moves arriving bytes into the
// receive queue and tells the session's thread about them. It is the session's link to a real
// logger.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "base/result.h"
#include "serial/byte_trace.h"
#include "serial/logger_link.h"
#include "serial/receive_queue.h"

namespace tavrin {

// Why `device` cannot be opened, and what the user can do about it, for the system's error.
std::string PortOpenFailureText(const std::string& device, int error);

class SerialPort : public ILoggerLink {
 public:
  SerialPort() = default;
  ~SerialPort() override;
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // A port opened on `device`, ready to be handed to a session; the failure says why the port
  // cannot be used and what the user can do about it.
  static Result<std::unique_ptr<SerialPort>> OpenLink(const std::string& device, uint32_t baud);

  // Opens and configures the device; closes an open port first. Nothing is read until Start.
  Result<void> Open(const std::string& device, uint32_t baud);
  // Starts the watch thread, which moves arriving bytes into the queue and announces them.
  void Start(Events events) override;
  // Wakes and ends the watch thread, lets the device send what was written (for at most 1.5 s)
  // and closes it. False when nothing was open.
  bool Close() override;
  bool IsOpen() const override { return fd_ >= 0; }

  // Writes all bytes unless the device fails or stays full for two seconds; returns how many
  // went out.
  size_t Write(const uint8_t* data, size_t length) override;

  void AcknowledgeDataArrived() override;
  size_t Waiting() const override { return static_cast<size_t>(queue_.Count()); }
  bool TakeByte(uint8_t& byte) override { return queue_.TakeByte(byte); }
  const std::string& Name() const override { return device_; }
  // The trace must outlive the port or be unset first.
  void SetTrace(ByteTrace* trace) override { trace_.store(trace); }

  uint32_t Baud() const { return baud_; }
  // Bytes read from the device since it was opened.
  uint64_t BytesReceived() const { return bytesReceived_.load(std::memory_order_relaxed); }

  // The speed constant for a baud rate; empty when the system has none.
  static std::optional<unsigned> SpeedFor(uint32_t baud);

 private:
  void Watch();
  void Announce();

  int fd_ = -1;
  int wakeFd_ = -1;
  std::string device_;
  uint32_t baud_ = 0;
  Events events_;
  std::thread watcher_;
  std::atomic<bool> announced_{false};
  std::atomic<uint64_t> bytesReceived_{0};
  std::atomic<ByteTrace*> trace_{nullptr};
  ReceiveQueue queue_;
};

}  // namespace tavrin
