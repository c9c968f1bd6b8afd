// SPDX-License-Identifier: GPL-3.0-or-later
// The receive queue between the serial watch thread (the only producer) and the session's
// thread (the only consumer): a 16 KiB ring without locks. One position always stays free, so
// equal indices mean empty.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tavrin {

class ReceiveQueue {
 public:
  static constexpr int32_t kSize = 16384;

  int32_t Count() const {
    return (write_.load(std::memory_order_acquire) - read_.load(std::memory_order_acquire) +
            kSize) %
           kSize;
  }
  int32_t FreeSpace() const { return kSize - Count(); }

  // Producer: stores the whole chunk only when the free space is greater than its length, so at
  // least one position stays free; otherwise stores nothing and returns false.
  bool PutChunk(const uint8_t* data, size_t length) {
    const int32_t w = write_.load(std::memory_order_relaxed);
    const int32_t r = read_.load(std::memory_order_acquire);
    const int32_t free = kSize - (w - r + kSize) % kSize;
    if (static_cast<size_t>(free) <= length) return false;
    const size_t first = std::min(length, static_cast<size_t>(kSize - w));
    std::memcpy(buffer_ + w, data, first);
    std::memcpy(buffer_, data + first, length - first);
    write_.store(static_cast<int32_t>((w + length) % kSize), std::memory_order_release);
    return true;
  }
  bool PutByte(uint8_t byte) { return PutChunk(&byte, 1); }

  // Consumer: false when the queue is empty.
  bool TakeByte(uint8_t& byte) {
    const int32_t r = read_.load(std::memory_order_relaxed);
    if (r == write_.load(std::memory_order_acquire)) return false;
    byte = buffer_[r];
    read_.store((r + 1) % kSize, std::memory_order_release);
    return true;
  }

  // Only while no producer runs (before the watch thread starts).
  void Reset() {
    write_.store(0);
    read_.store(0);
  }

 private:
  uint8_t buffer_[kSize] = {};
  std::atomic<int32_t> write_{0};
  std::atomic<int32_t> read_{0};
};

}  // namespace tavrin
