// SPDX-License-Identifier: GPL-3.0-or-later
// A full 32-Mbit logger for the benchmarks: 258,047 points one second apart, a track start
// every hour, as full as a memory the logger still reads gets.
#pragma once

#include "emulator/host_record.h"
#include "emulator/logger_memory.h"

namespace tavrin::bench {

inline constexpr int kSectorPoints = 4096;

inline emulator::LoggerMemory FullLogger() {
  emulator::LoggerMemory memory;
  memory.pointsPerSector = kSectorPoints;
  const uint32_t count = memory.Capacity() - 1;  // as full as a readable memory gets
  memory.points.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    const long long s = 8 * 3600 + i;
    const DateTime t{24,
                     5,
                     1 + static_cast<int>(s / 86400),
                     static_cast<int>(s / 3600 % 24),
                     static_cast<int>(s / 60 % 60),
                     static_cast<int>(s % 60)};
    memory.points.push_back(MakePoint(t, i % 3600 == 0 ? kFixTrackStart : kFix3D, 37.5f + i * 1e-6f,
                                      127.0f + i * 1e-6f, 40, 90));
  }
  return memory;
}

}  // namespace tavrin::bench
