// SPDX-License-Identifier: GPL-3.0-or-later
// The logger's flash memory as the emulator keeps it: the recorded points in recording order, the
// point from which a read of new tracks starts, the save options and note groups the host writes,
// and the geometry (size, sector length) that decides capacity and the sectors of a read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/device_state.h"
#include "protocol/note_group.h"
#include "store/track_point.h"

namespace tavrin::emulator {

constexpr size_t kNoteGroupCount = 4;
constexpr uint32_t kDefaultMemoryMbit = 32;
constexpr uint32_t kDefaultPointsPerSector = 4096;

struct LoggerMemory {
  std::vector<TrackPoint> points;
  size_t newFrom = 0;            // points from here on have not been read by a read of new tracks
  SaveOptions options{0, 1, 0};  // a point every second until the host says otherwise
  std::array<std::string, kNoteGroupCount> notes;
  uint32_t memoryMbit = kDefaultMemoryMbit;
  uint32_t pointsPerSector = kDefaultPointsPerSector;

  // Points the flash holds, by the same rule as the host's.
  uint32_t Capacity() const { return LoggerCapacity(memoryMbit); }
  // Flash sectors an erase walks through (two per Mbit: 64 for 32 Mbit).
  uint32_t EraseSectorCount() const { return memoryMbit * 2; }
  std::span<const TrackPoint> NewPoints() const;
  // 1-based numbers of the first and last sector that hold points; 0 and 0 when empty.
  uint32_t FirstUsedSector() const;
  uint32_t LastUsedSector() const;
  void Erase();

  friend bool operator==(const LoggerMemory&, const LoggerMemory&);
};

// The flash sizes a logger comes with.
bool IsValidMemorySize(uint32_t mbit);

}  // namespace tavrin::emulator
