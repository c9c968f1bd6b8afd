// SPDX-License-Identifier: GPL-3.0-or-later
// One read of tracks as the logger sends it: the selected points cut into sectors, the bytes of
// the information answer, of each sector and of the control answers in the form the read mode
// (or the control option) asks for, with the item faults applied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "store/track_point.h"

namespace tavrin::emulator {

// How Next Sector, Success and Time Over travel: as the read mode's own form (frames for binary
// reads, sentences for $GPRMC reads) or forced to one form for every mode.
enum class ControlForm { kAuto, kFrames, kSentences };

enum class Control { kNextSector, kSuccess, kTimeOver };

// Faults that damage single point items. Item numbers count the points of a transfer from 1;
// 0 switches a fault off.
struct ItemFaults {
  size_t flipItem = 0;  // one payload byte of this item is changed, so its checksum fails
  size_t dropItem = 0;  // this item is not sent at all
};

class ReadTransfer {
 public:
  ReadTransfer(int mode, std::vector<TrackPoint> points, uint32_t pointsPerSector,
               ControlForm control, ItemFaults faults);

  int Mode() const { return mode_; }
  size_t PointCount() const { return points_.size(); }
  size_t SectorCount() const { return sectorCount_; }
  // Sectors handed out so far; the next sector to send has this index.
  size_t SectorsSent() const { return sectorsSent_; }
  bool AllSectorsSent() const { return sectorsSent_ == sectorCount_; }

  // $PSRF200,m,1,a,b,e,f: a = DDMMYY and b = hhmmss of the first point, e = sectors, f = points.
  std::string InformationSentence() const;
  // The point items of the next sector; counts it as sent.
  std::vector<uint8_t> NextSector();
  // The point items of the sector sent last, again, for a host that asked for it once more.
  std::vector<uint8_t> RepeatSector();
  std::vector<uint8_t> ControlAnswer(Control control) const;

 private:
  std::vector<uint8_t> SectorBytes(size_t sector);
  void AppendItem(std::vector<uint8_t>& out, size_t itemNumber);

  int mode_;
  std::vector<TrackPoint> points_;
  uint32_t pointsPerSector_;
  ControlForm control_;
  ItemFaults faults_;
  size_t sectorCount_;
  size_t sectorsSent_ = 0;
  size_t itemsSent_ = 0;  // highest item number sent so far; faults strike only the first sending
};

}  // namespace tavrin::emulator
