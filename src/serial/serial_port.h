// The serial port the logger sits on: a tty device (USB ACM, USB serial, 16550 or a
// pseudo-terminal) in raw 8N1 mode, and a watch thread that moves arriving bytes into the
// receive queue and tells the session's thread about them.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "serial/byte_trace.h"
#include "serial/cqueue.h"

namespace tavrin {

class CSerialPort {
 public:
  // Called on the watch thread; they must only hand work over to the session's thread.
  struct Callbacks {
    std::function<void()> dataArrived;
    std::function<void()> hungUp;  // the device went away or failed; the thread has ended
  };

  CSerialPort() = default;
  ~CSerialPort();
  CSerialPort(const CSerialPort&) = delete;
  CSerialPort& operator=(const CSerialPort&) = delete;

  // Opens and configures the device and starts the watch thread; closes an open port first.
  // Returns the reason when the port cannot be used, with what the user can do about it.
  std::optional<std::string> Open(const std::string& device, uint32_t baud, Callbacks callbacks);
  // Wakes and ends the watch thread, lets the device send what was written (for at most 1.5 s)
  // and closes it. False when nothing was open.
  bool Close();
  bool IsOpen() const { return fd_ >= 0; }

  // Writes all bytes unless the device fails or stays full for two seconds; returns how many
  // went out.
  size_t Write(const uint8_t* data, size_t length);

  CQueue& Queue() { return queue_; }
  const std::string& Device() const { return device_; }
  uint32_t Baud() const { return baud_; }
  // Bytes read from the device since it was opened.
  uint64_t BytesReceived() const { return bytesReceived_.load(std::memory_order_relaxed); }

  // The consumer calls this before it reads the queue, so that bytes arriving afterwards are
  // announced again.
  void AcknowledgeDataArrived();
  // The trace must outlive the port or be unset first.
  void SetTrace(ByteTrace* trace) { trace_.store(trace); }

  // The speed constant for a baud rate; empty when the system has none.
  static std::optional<unsigned> SpeedFor(uint32_t baud);

 private:
  void Watch();
  void Announce();

  int fd_ = -1;
  int wakeFd_ = -1;
  std::string device_;
  uint32_t baud_ = 0;
  Callbacks callbacks_;
  std::thread watcher_;
  std::atomic<bool> announced_{false};
  std::atomic<uint64_t> bytesReceived_{0};
  std::atomic<ByteTrace*> trace_{nullptr};
  CQueue queue_;
};

}  // namespace tavrin
