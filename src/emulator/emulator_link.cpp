// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/emulator_link.h"

#include <utility>

namespace tavrin::emulator {

EmulatorLink::EmulatorLink(LoggerMemory memory, EmulatorOptions options, std::string name,
                           ClockFn clock)
    : name_(std::move(name)),
      clock_(std::move(clock)),
      engine_(std::move(memory), options,
              [this](std::span<const uint8_t> bytes) { FromLogger(bytes); }) {}

void EmulatorLink::Start(Events events) {
  events_ = std::move(events);
  started_ = true;
  if (Waiting() > 0) Announce();
  CheckHangUp();
}

size_t EmulatorLink::Write(const uint8_t* data, size_t length) {
  if (!open_ || hungUp_) return 0;
  if (trace_ != nullptr) trace_->Record(ByteTrace::kSent, data, length);
  engine_.Receive({data, length}, clock_());
  CheckHangUp();
  return length;
}

void EmulatorLink::AcknowledgeDataArrived() {
  announced_ = false;
  // The session takes everything that waits now, as a serial line would have delivered it: from
  // here on the logger waits for the acknowledgement.
  engine_.OutputDrained(clock_());
}

bool EmulatorLink::TakeByte(uint8_t& byte) {
  if (head_ == arrived_.size()) return false;
  byte = arrived_[head_++];
  if (head_ == arrived_.size()) {
    arrived_.clear();
    head_ = 0;
  }
  return true;
}

bool EmulatorLink::Close() {
  if (!open_) return false;
  open_ = false;
  arrived_.clear();
  head_ = 0;
  return true;
}

void EmulatorLink::Poll() {
  if (!open_) return;
  const auto now = clock_();
  if (Waiting() == 0) engine_.OutputDrained(now);
  engine_.Poll(now);
  CheckHangUp();
}

void EmulatorLink::FromLogger(std::span<const uint8_t> bytes) {
  if (!open_) return;
  if (trace_ != nullptr) trace_->Record(ByteTrace::kReceived, bytes.data(), bytes.size());
  arrived_.insert(arrived_.end(), bytes.begin(), bytes.end());
  Announce();
}

void EmulatorLink::Announce() {
  if (!started_ || announced_) return;
  announced_ = true;
  if (events_.dataArrived) events_.dataArrived();
}

// The hang-up fault: the logger leaves the line once what it sent is on its way.
void EmulatorLink::CheckHangUp() {
  if (!started_ || hungUp_ || !engine_.HangUpRequested()) return;
  hungUp_ = true;
  if (events_.hungUp) events_.hungUp();
}

}  // namespace tavrin::emulator
