// SPDX-License-Identifier: GPL-3.0-or-later
// Test helpers for the logger emulator: a line to the engine that takes no time, a splitter of
// what the logger sends into sentences and frames, and small memories to read.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <span>
#include <string>
#include <vector>

#include "emulator/logger_emulator.h"
#include "protocol/frames.h"
#include "protocol/nmea.h"

namespace tavrin::emulator::test {

using namespace std::chrono_literals;

// One sentence or frame as the logger sent it.
struct Item {
  bool frame = false;
  std::vector<uint8_t> bytes;

  std::string Text() const { return std::string(bytes.begin(), bytes.end()); }
  uint8_t FrameType() const { return frame && bytes.size() > 1 ? bytes[1] : 0; }
  bool IsPoint() const {
    return frame ? (FrameType() == kFramePoint || FrameType() == kFrameTrackStart)
                 : Text().rfind("$GPRMC,", 0) == 0;
  }
};

// The fields of a sentence as strings of their own.
inline std::vector<std::string> Fields(const std::string& sentence) {
  const auto views = SplitFields(sentence);
  return std::vector<std::string>(views.begin(), views.end());
}

// Cuts a byte stream the way the host does: "$" to LF, 0xC0 to 0xC9, in any pieces. Bytes
// outside an item are counted: the logger must never send any.
class ItemSplitter {
 public:
  void Feed(std::span<const uint8_t> bytes) {
    for (const uint8_t b : bytes) {
      if (current_.empty() && b != '$' && b != kFrameStart) {
        ++strayBytes;
        continue;
      }
      current_.push_back(b);
      const bool frame = current_[0] == kFrameStart;
      if (current_.size() > 1 && b == (frame ? kFrameEnd : '\n')) {
        items.push_back(Item{frame, std::move(current_)});
        current_.clear();
      }
    }
  }
  bool Partial() const { return !current_.empty(); }

  std::vector<Item> items;
  size_t strayBytes = 0;

 private:
  std::vector<uint8_t> current_;
};

inline std::vector<Item> SplitItems(const std::vector<uint8_t>& stream) {
  ItemSplitter splitter;
  splitter.Feed(stream);
  EXPECT_EQ(splitter.strayBytes, 0u);
  EXPECT_FALSE(splitter.Partial()) << "the last item is not complete";
  return splitter.items;
}

// The host's end of a line that takes no time: everything the logger sends has left at once.
class Line {
 public:
  explicit Line(LoggerMemory memory, EmulatorOptions options = Options())
      : logger_(std::move(memory), options, [this](std::span<const uint8_t> bytes) {
          out_.insert(out_.end(), bytes.begin(), bytes.end());
        }) {}

  // Small figures so that a test never waits for real time.
  static EmulatorOptions Options() {
    EmulatorOptions o;
    o.ackTimeout = 500ms;
    o.eraseDelay = 20ms;
    return o;
  }

  void Send(const std::string& body) { SendRaw(MakeSentence(body)); }
  void SendRaw(const std::string& bytes) {
    logger_.Receive(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), now_);
    logger_.OutputDrained(now_);
  }
  void Advance(std::chrono::milliseconds by) {
    now_ += by;
    logger_.Poll(now_);
    logger_.OutputDrained(now_);
  }
  // What the logger sent since the last call.
  std::vector<Item> Take() {
    auto items = SplitItems(out_);
    out_.clear();
    return items;
  }
  LoggerEmulator& Logger() { return logger_; }
  LoggerEmulator::Clock::time_point Now() const { return now_; }

 private:
  std::vector<uint8_t> out_;
  LoggerEmulator logger_;
  LoggerEmulator::Clock::time_point now_{};
};

// `count` points one second apart from 2024-05-01 08:00:00, cycling through the fix kinds
// (start, none, 2D, 3D), with positions, speeds and headings that differ from point to point.
inline std::vector<TrackPoint> Points(int count, int firstSecond = 8 * 3600) {
  std::vector<TrackPoint> points;
  for (int i = 0; i < count; ++i) {
    const int s = firstSecond + i;
    const DateTime t{24, 5, 1 + s / 86400, s / 3600 % 24, s / 60 % 60, s % 60};
    points.push_back(MakePoint(t, i % 4, 37.5f + i * 0.0001f, -127.0f - i * 0.0002f, 20 + i % 200,
                               (i * 7) % 360));
  }
  return points;
}

inline LoggerMemory Memory(int count, uint32_t pointsPerSector = 4, size_t newFrom = 0) {
  LoggerMemory m;
  m.points = Points(count);
  m.pointsPerSector = pointsPerSector;
  m.newFrom = newFrom;
  return m;
}

}  // namespace tavrin::emulator::test
