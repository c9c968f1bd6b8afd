// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the logger's output to a non-blocking descriptor, never dropping a byte: what the
// descriptor does not take now waits for the next Flush. With a baud rate the output is paced
// like a serial line (ten bits a byte) by a token bucket, so bytes leave in small bursts rather
// than one sleep per byte.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tavrin::emulator {

class PacedWriter {
 public:
  using Clock = std::chrono::steady_clock;

  // `baud` 0 writes as fast as the descriptor takes the bytes.
  PacedWriter(int fd, uint32_t baud, Clock::time_point now);

  void Enqueue(std::span<const uint8_t> bytes);
  // Writes what the pace and the descriptor allow. False with `error` set when the descriptor
  // fails for a reason other than being full.
  bool Flush(Clock::time_point now, std::string& error);

  bool Empty() const { return head_ == queue_.size(); }
  size_t Pending() const { return queue_.size() - head_; }
  // Whether to wait for the descriptor to become writable (bytes wait and the pace allows).
  bool WantsWritable(Clock::time_point now) const;
  // When the pace next allows a write, while bytes wait but the bucket is empty; empty when the
  // pace allows one now or nothing waits.
  std::optional<Clock::time_point> NextWriteTime(Clock::time_point now) const;

 private:
  double TokensAt(Clock::time_point now) const;
  double WorthwhileBurst() const;

  int fd_;
  double bytesPerSecond_;  // 0: unpaced
  double burst_;
  double tokens_;
  Clock::time_point refilledAt_;
  std::vector<uint8_t> queue_;
  size_t head_ = 0;
};

}  // namespace tavrin::emulator
