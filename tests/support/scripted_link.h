// SPDX-License-Identifier: GPL-3.0-or-later
// A link on which the test plays the logger: bytes handed to FromLogger arrive at the session as
// from a line, and what the session writes waits in Sent until the test takes it.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "serial/logger_link.h"

namespace tavrin::test {

class ScriptedLink : public ILoggerLink {
 public:
  explicit ScriptedLink(std::string name = "scripted logger") : name_(std::move(name)) {}

  // ---- the logger's side
  void FromLogger(const std::string& bytes) {
    if (!open_) return;
    arrived_ += bytes;
    Announce();
  }
  // What the session wrote since the last call.
  std::string TakeSent() { return std::exchange(sent_, {}); }
  // The logger leaves the line.
  void HangUp() {
    if (events_.hungUp) events_.hungUp();
  }
  // Writes fail from now on (a line that no longer takes anything).
  void FailWrites() { failWrites_ = true; }

  // ---- ILoggerLink
  void Start(Events events) override {
    events_ = std::move(events);
    if (Waiting() > 0) Announce();
  }
  size_t Write(const uint8_t* data, size_t length) override {
    if (!open_ || failWrites_) return 0;
    sent_.append(reinterpret_cast<const char*>(data), length);
    return length;
  }
  void AcknowledgeDataArrived() override { announced_ = false; }
  size_t Waiting() const override { return arrived_.size() - head_; }
  bool TakeByte(uint8_t& byte) override {
    if (head_ == arrived_.size()) return false;
    byte = static_cast<uint8_t>(arrived_[head_++]);
    return true;
  }
  bool Close() override { return std::exchange(open_, false); }
  bool IsOpen() const override { return open_; }
  const std::string& Name() const override { return name_; }
  void SetTrace(ByteTrace*) override {}

 private:
  void Announce() {
    if (announced_ || !events_.dataArrived) return;
    announced_ = true;
    events_.dataArrived();
  }

  std::string name_;
  Events events_;
  bool open_ = true;
  bool announced_ = false;
  bool failWrites_ = false;
  std::string arrived_;
  size_t head_ = 0;
  std::string sent_;
};

}  // namespace tavrin::test
