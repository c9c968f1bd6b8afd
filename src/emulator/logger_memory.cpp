// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/logger_memory.h"

#include <algorithm>
#include <cstring>

namespace tavrin::emulator {

std::span<const TrackPoint> LoggerMemory::NewPoints() const {
  const size_t from = std::min(newFrom, points.size());
  return std::span<const TrackPoint>(points).subspan(from);
}

uint32_t LoggerMemory::FirstUsedSector() const {
  return points.empty() ? 0 : 1;
}

uint32_t LoggerMemory::LastUsedSector() const {
  if (points.empty() || pointsPerSector == 0) return 0;
  return static_cast<uint32_t>((points.size() - 1) / pointsPerSector + 1);
}

void LoggerMemory::Erase() {
  points.clear();
  newFrom = 0;
}

bool operator==(const LoggerMemory& a, const LoggerMemory& b) {
  // Points are compared as the 16 bytes the flash holds.
  const bool samePoints =
      a.points.size() == b.points.size() &&
      (a.points.empty() ||
       std::memcmp(a.points.data(), b.points.data(), a.points.size() * sizeof(TrackPoint)) == 0);
  return samePoints && a.newFrom == b.newFrom && a.options == b.options && a.notes == b.notes &&
         a.memoryMbit == b.memoryMbit && a.pointsPerSector == b.pointsPerSector;
}

bool IsValidMemorySize(uint32_t mbit) {
  return mbit == 8 || mbit == 16 || mbit == 32 || mbit == 64 || mbit == 128;
}

}  // namespace tavrin::emulator
