// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/paced_writer.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tavrin::emulator {

PacedWriter::PacedWriter(int fd, uint32_t baud, Clock::time_point now)
    : fd_(fd),
      bytesPerSecond_(baud / 10.0),
      // About 20 ms of the line at once: small enough to keep the pace, large enough to avoid a
      // wake-up per byte.
      burst_(std::max(16.0, baud / 10.0 / 50.0)),
      tokens_(burst_),
      refilledAt_(now) {}

void PacedWriter::Enqueue(std::span<const uint8_t> bytes) {
  if (head_ > 0 && head_ == queue_.size()) {
    queue_.clear();
    head_ = 0;
  }
  queue_.insert(queue_.end(), bytes.begin(), bytes.end());
}

double PacedWriter::TokensAt(Clock::time_point now) const {
  const double elapsed = std::chrono::duration<double>(now - refilledAt_).count();
  return std::min(burst_, tokens_ + std::max(0.0, elapsed) * bytesPerSecond_);
}

bool PacedWriter::Flush(Clock::time_point now, std::string& error) {
  if (bytesPerSecond_ > 0) {
    tokens_ = TokensAt(now);
    refilledAt_ = now;
  }
  while (!Empty()) {
    size_t allowed = Pending();
    if (bytesPerSecond_ > 0) allowed = std::min(allowed, static_cast<size_t>(tokens_));
    if (allowed == 0) break;
    const ssize_t written = ::write(fd_, queue_.data() + head_, allowed);
    if (written < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) break;  // full: wait for POLLOUT
      error = std::string("cannot write to the pseudo-terminal: ") + std::strerror(errno);
      return false;
    }
    head_ += static_cast<size_t>(written);
    if (bytesPerSecond_ > 0) tokens_ -= static_cast<double>(written);
  }
  // Keep the buffer from growing without end while a long read streams through it.
  if (head_ > 65536 && head_ * 2 > queue_.size()) {
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(head_));
    head_ = 0;
  }
  return true;
}

// Waiting until a worthwhile burst has gathered, rather than waking for every byte.
double PacedWriter::WorthwhileBurst() const {
  return std::min(static_cast<double>(Pending()), burst_ / 2);
}

bool PacedWriter::WantsWritable(Clock::time_point now) const {
  return !Empty() && (bytesPerSecond_ == 0 || TokensAt(now) >= WorthwhileBurst());
}

std::optional<PacedWriter::Clock::time_point> PacedWriter::NextWriteTime(
    Clock::time_point now) const {
  if (Empty() || bytesPerSecond_ == 0) return std::nullopt;
  const double missing = WorthwhileBurst() - TokensAt(now);
  // The pace allows a write now, so what the bytes wait for is room in the descriptor (POLLOUT).
  // Waking at once instead would spin while a host that stopped reading leaves the line full.
  if (missing <= 0) return std::nullopt;
  return now + std::chrono::duration_cast<Clock::duration>(
                   std::chrono::duration<double>(missing / bytesPerSecond_));
}

}  // namespace tavrin::emulator
