// SPDX-License-Identifier: GPL-3.0-or-later
// The line to the logger as the session sees it: bytes go out through Write, bytes that arrive
// wait until the session takes them, and the link announces arrivals and a hang-up through the
// events it was started with. A serial port is one link; the tests and the built-in emulated
// logger use links that stay in the process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "serial/byte_trace.h"

namespace tavrin {

class ILoggerLink {
 public:
  // A link may announce from another thread; the events must only hand the work over to the
  // session's thread (the host's Post... calls).
  struct Events {
    std::function<void()> dataArrived;
    std::function<void()> hungUp;  // the line is gone; nothing more arrives
  };

  virtual ~ILoggerLink() = default;

  // Starts announcing. Bytes that arrived before are announced at once.
  virtual void Start(Events events) = 0;
  // Writes all bytes unless the line fails or stays full; returns how many went out.
  virtual size_t Write(const uint8_t* data, size_t length) = 0;
  // The session calls this before it counts what waits, so that bytes arriving afterwards are
  // announced again.
  virtual void AcknowledgeDataArrived() = 0;
  // Bytes waiting to be taken, and the next of them; on the session's thread only.
  virtual size_t Waiting() const = 0;
  virtual bool TakeByte(uint8_t& byte) = 0;
  // Ends the line; what was written still leaves. False when it was not open.
  virtual bool Close() = 0;
  virtual bool IsOpen() const = 0;
  // What the user knows the line by: the device path, or the emulated logger's name.
  virtual const std::string& Name() const = 0;
  // Records both directions in `trace` (null: no trace); the trace must outlive the link.
  virtual void SetTrace(ByteTrace* trace) = 0;
};

}  // namespace tavrin
