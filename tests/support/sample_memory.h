// SPDX-License-Identifier: GPL-3.0-or-later
// A logger memory for tests that download: a few thousand points in several tracks.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "emulator/host_record.h"
#include "emulator/logger_memory.h"

namespace tavrin::test {

constexpr int kPointsPerSector = 512;
constexpr int kTrackLength = 700;

// 3000 points one second apart in tracks of 700; the third track follows the second after a
// 700-second pause instead of a start point, so only the gap can split it off.
inline emulator::LoggerMemory SampleMemory() {
  emulator::LoggerMemory memory;
  memory.pointsPerSector = kPointsPerSector;
  memory.options = {12, 1, 100};
  memory.notes = {"TEST", "A1", "", ""};
  long long second = 8 * 3600;
  for (int i = 0; i < 3000; ++i) {
    const int inTrack = i % kTrackLength;
    if (i == 2 * kTrackLength) second += 700;
    const bool start = inTrack == 0 && i != 2 * kTrackLength;
    const DateTime t{24,
                     5,
                     1 + static_cast<int>(second / 86400),
                     static_cast<int>(second / 3600 % 24),
                     static_cast<int>(second / 60 % 60),
                     static_cast<int>(second % 60)};
    memory.points.push_back(MakePoint(t, start ? kFixTrackStart : 1 + i % 3, 37.5f + i * 1e-4f,
                                      127.0f - i * 2e-4f, i % 250, (i * 7) % 360));
    ++second;
  }
  return memory;
}

// What the host must store for memory points [from, to) read in `mode`.
inline std::vector<TrackPoint> ExpectedRecords(const emulator::LoggerMemory& memory, int mode,
                                               size_t from = 0, size_t to = SIZE_MAX) {
  std::vector<TrackPoint> records;
  for (size_t i = from; i < std::min(to, memory.points.size()); ++i) {
    records.push_back(emulator::HostRecord(memory.points[i], mode));
  }
  return records;
}

}  // namespace tavrin::test
