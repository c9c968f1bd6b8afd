// SPDX-License-Identifier: GPL-3.0-or-later
// What the logger last told about itself: options, note groups and memory figures.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tavrin {

// Points a logger with `memoryMbit` of flash can hold: one sector of 4096 points is kept back for
// the logger itself. Computed in unsigned 32 bits, as the logger does, so a size below 8 Mbit
// wraps around instead of going negative.
constexpr uint32_t LoggerCapacity(uint32_t memoryMbit) {
  return (memoryMbit / 8) * 65536u - 4096u;
}

using NoteGroups = std::array<std::string, 4>;

// When the logger saves a point: every so many km/h of speed, seconds and metres.
struct SaveOptions {
  uint8_t bySpeed = 0;
  uint8_t byTime = 0;
  uint16_t byDistance = 0;
  friend bool operator==(const SaveOptions&, const SaveOptions&) = default;
};

struct DeviceState {
  NoteGroups noteGroups;        // UTF-8, at most 7 characters each
  uint8_t saveBySpeed = 0;      // km/h
  uint8_t saveByTime = 0;       // seconds
  uint16_t saveByDistance = 0;  // metres
  uint32_t memorySize = 0;      // Mbit
  uint32_t positionA = 0;
  uint32_t positionB = 0;
  uint32_t usedPoints = 0;
  uint32_t newPoints = 0;

  // Points the logger can hold.
  uint32_t Capacity() const { return LoggerCapacity(memorySize); }
  // The figures describe a memory that can be read.
  bool IsConsistent() const {
    return usedPoints != 0 && positionA != 0 && positionB != 0 && usedPoints < Capacity();
  }
  // What keeps a read from starting, by these figures alone; None when it may start. The window,
  // `tavrin read` and whatever else reads each say it in their own words.
  enum class ReadBlock { None, EmptyMemory, FiguresDoNotAddUp, NoNewTracks };
  ReadBlock WhatBlocksARead(bool newTracksOnly) const {
    if (usedPoints == 0) return ReadBlock::EmptyMemory;
    if (!IsConsistent()) return ReadBlock::FiguresDoNotAddUp;
    if (newTracksOnly && newPoints == 0) return ReadBlock::NoNewTracks;
    return ReadBlock::None;
  }
};

}  // namespace tavrin
