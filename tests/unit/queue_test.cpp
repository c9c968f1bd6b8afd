// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/receive_queue.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace tavrin {
namespace {

TEST(Queue, HoldsAtMostOneLessThanItsSize) {
  auto q = std::make_unique<ReceiveQueue>();
  uint8_t b;
  EXPECT_EQ(q->Count(), 0);
  EXPECT_FALSE(q->TakeByte(b));
  std::vector<uint8_t> chunk(ReceiveQueue::kSize - 1, 0x5A);
  EXPECT_FALSE(q->PutChunk(chunk.data(), ReceiveQueue::kSize));  // never fills the last position
  ASSERT_TRUE(q->PutChunk(chunk.data(), chunk.size()));
  EXPECT_EQ(q->Count(), ReceiveQueue::kSize - 1);
  EXPECT_EQ(q->FreeSpace(), 1);
  EXPECT_FALSE(q->PutByte(1));  // free space must be greater than the chunk
  EXPECT_EQ(q->Count(), ReceiveQueue::kSize - 1);
}

TEST(Queue, CountsAndKeepsOrderAcrossTheWrap) {
  auto q = std::make_unique<ReceiveQueue>();
  std::vector<uint8_t> filler(ReceiveQueue::kSize - 4, 0);
  ASSERT_TRUE(q->PutChunk(filler.data(), filler.size()));
  uint8_t b;
  for (size_t i = 0; i < filler.size(); ++i) ASSERT_TRUE(q->TakeByte(b));
  // Both indices now stand at kSize - 4: a chunk of 9 wraps to write index 5.
  const uint8_t data[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  ASSERT_TRUE(q->PutChunk(data, 9));
  EXPECT_EQ(q->Count(), 9);
  for (uint8_t expected : data) {
    ASSERT_TRUE(q->TakeByte(b));
    EXPECT_EQ(b, expected);
  }
  EXPECT_EQ(q->Count(), 0);
}

// Run under the thread sanitizer too (make tsan): one producer, one consumer, every byte
// arrives once and in order.
TEST(Queue, OneProducerOneConsumerLoseNothing) {
  auto q = std::make_unique<ReceiveQueue>();
  constexpr int kBytes = 2'000'000;
  std::thread producer([&] {
    uint8_t chunk[700];
    int next = 0;
    while (next < kBytes) {
      const int n = std::min<int>(sizeof chunk, kBytes - next);
      for (int i = 0; i < n; ++i) chunk[i] = static_cast<uint8_t>((next + i) * 7);
      if (q->PutChunk(chunk, static_cast<size_t>(n))) {
        next += n;
      } else {
        std::this_thread::yield();
      }
    }
  });
  int received = 0;
  bool inOrder = true;
  while (received < kBytes) {
    uint8_t b;
    if (!q->TakeByte(b)) {
      std::this_thread::yield();
      continue;
    }
    inOrder = inOrder && b == static_cast<uint8_t>(received * 7);
    ++received;
  }
  producer.join();
  EXPECT_TRUE(inOrder);
  EXPECT_EQ(q->Count(), 0);
}

}  // namespace
}  // namespace tavrin
