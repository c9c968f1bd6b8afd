// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/read_transfer.h"

#include <algorithm>
#include <cstdio>

#include "emulator/read_selection.h"
#include "protocol/frames.h"
#include "protocol/nmea.h"

namespace tavrin::emulator {

namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

// The first latitude byte of a frame and the first hour digit of a $GPRMC sentence: both lie
// inside what the checksum covers, and flipping their lowest bit keeps a frame free of 0xC9 and a
// sentence readable, so only the checksum tells the damage.
constexpr size_t kFrameFlipAt = 5;
constexpr size_t kSentenceFlipAt = 7;

}  // namespace

ReadTransfer::ReadTransfer(int mode, std::vector<TrackPoint> points, uint32_t pointsPerSector,
                           ControlForm control, ItemFaults faults)
    : mode_(mode),
      points_(std::move(points)),
      pointsPerSector_(std::max<uint32_t>(pointsPerSector, 1)),
      control_(control),
      faults_(faults),
      sectorCount_((points_.size() + pointsPerSector_ - 1) / pointsPerSector_) {}

std::string ReadTransfer::InformationSentence() const {
  const DateTime first = points_.front().GetDateTime();
  char body[96];
  std::snprintf(body, sizeof body, "PSRF200,%d,1,%lld,%lld,%zu,%zu", mode_, ToDdmmyy(first),
                ToHhmmss(first), sectorCount_, points_.size());
  return MakeSentence(body);
}

std::vector<uint8_t> ReadTransfer::NextSector() {
  if (AllSectorsSent()) return {};
  return SectorBytes(sectorsSent_++);
}

std::vector<uint8_t> ReadTransfer::RepeatSector() {
  if (sectorsSent_ == 0) return {};
  return SectorBytes(sectorsSent_ - 1);
}

std::vector<uint8_t> ReadTransfer::SectorBytes(size_t sector) {
  std::vector<uint8_t> out;
  const size_t begin = sector * pointsPerSector_;
  const size_t end = std::min(points_.size(), begin + pointsPerSector_);
  for (size_t i = begin; i < end; ++i) AppendItem(out, i + 1);
  return out;
}

void ReadTransfer::AppendItem(std::vector<uint8_t>& out, size_t itemNumber) {
  const bool firstSending = itemNumber > itemsSent_;
  itemsSent_ = std::max(itemsSent_, itemNumber);
  if (firstSending && itemNumber == faults_.dropItem) return;
  const TrackPoint& point = points_[itemNumber - 1];
  std::vector<uint8_t> item =
      IsBinaryMode(mode_) ? EncodePointFrame(point) : Bytes(EncodeRmc(point));
  if (firstSending && itemNumber == faults_.flipItem) {
    item[IsBinaryMode(mode_) ? kFrameFlipAt : kSentenceFlipAt] ^= 0x01;
  }
  out.insert(out.end(), item.begin(), item.end());
}

std::vector<uint8_t> ReadTransfer::ControlAnswer(Control control) const {
  const bool frames =
      control_ == ControlForm::kFrames || (control_ == ControlForm::kAuto && IsBinaryMode(mode_));
  if (frames) {
    const uint8_t type = control == Control::kNextSector ? kFrameNextSector
                         : control == Control::kSuccess  ? kFrameEndOfMessage
                                                         : kFrameTimeOver;
    return EncodeControlFrame(type);
  }
  const int code = control == Control::kNextSector ? 1 : control == Control::kSuccess ? 0 : 4;
  char body[48];
  std::snprintf(body, sizeof body, "PSRF200,%d,%d,0,0,0,0", mode_, code);
  return Bytes(MakeSentence(body));
}

}  // namespace tavrin::emulator
