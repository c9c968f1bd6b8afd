// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/frames.h"

#include <cstring>

namespace tavrin {

uint8_t FrameChecksum(std::span<const uint8_t> frame) {
  uint8_t sum = 0;
  for (size_t i = 1; i + 5 <= frame.size(); ++i) sum = static_cast<uint8_t>(sum + frame[i]);
  return static_cast<uint8_t>((sum & 0x5F) | 0x20);
}

bool FrameChecksumOk(std::span<const uint8_t> frame) {
  return frame.size() >= kMinFrameLength && frame[frame.size() - 3] == FrameChecksum(frame);
}

namespace {

// Bits 15..1 of the mask belong to bytes 2..16.
constexpr size_t kMaskedFirst = 2, kMaskedCount = 15, kMaskAt = 17;

uint16_t MaskOf(const uint8_t* f) {
  return static_cast<uint16_t>(((f[kMaskAt] & 0x7F) << 9) | ((f[kMaskAt + 1] & 0x7F) << 2) |
                               ((f[kMaskAt + 2] & 0x01) << 1));
}

}  // namespace

std::optional<TrackPoint> DecodePointFrame(std::span<const uint8_t> frame) {
  if (frame.size() < kPointFrameLength) return std::nullopt;
  uint8_t f[kPointFrameLength];
  std::memcpy(f, frame.data(), kPointFrameLength);
  const uint16_t mask = MaskOf(f);
  for (size_t i = 0; i < kMaskedCount; ++i) {
    if (mask & (1u << (15 - i))) f[kMaskedFirst + i] |= 0x80;
  }
  TrackPoint p;
  p.monthFix = 0x40;
  p.SetFixKind(f[1] == kFrameTrackStart ? kFixTrackStart : kFix3D);
  std::memcpy(&p.latitude, f + 5, 4);
  std::memcpy(&p.longitude, f + 9, 4);
  p.heading = f[13];
  p.speed = f[14];
  const uint16_t w = static_cast<uint16_t>(f[15] | (f[16] << 8));
  p.monthFix = static_cast<uint8_t>((p.monthFix & 0xF0) | ((w >> 5) & 0x0F));
  p.dateTime = (static_cast<uint32_t>(f[4] & 0x3F) << 26) |
               (static_cast<uint32_t>(f[3] & 0x3F) << 20) |
               (static_cast<uint32_t>(f[2] & 0x3F) << 14) | (static_cast<uint32_t>(w & 0x1F) << 8) |
               static_cast<uint32_t>(w >> 9);
  return p;
}

std::vector<uint8_t> EncodePointFrame(const TrackPoint& point) {
  uint8_t f[kPointFrameLength] = {};
  f[0] = kFrameStart;
  f[1] = point.FixKind() == kFixTrackStart ? kFrameTrackStart : kFramePoint;
  f[2] = static_cast<uint8_t>(point.Hour());
  f[3] = static_cast<uint8_t>(point.Minute());
  f[4] = static_cast<uint8_t>(point.Second());
  std::memcpy(f + 5, &point.latitude, 4);
  std::memcpy(f + 9, &point.longitude, 4);
  f[13] = point.heading;
  f[14] = point.speed;
  const uint16_t w = static_cast<uint16_t>((point.Day() & 0x1F) | ((point.Month() & 0x0F) << 5) |
                                           ((point.Year() & 0x7F) << 9));
  f[15] = static_cast<uint8_t>(w & 0xFF);
  f[16] = static_cast<uint8_t>(w >> 8);
  uint16_t mask = 0;
  for (size_t i = 0; i < kMaskedCount; ++i) {
    if (f[kMaskedFirst + i] & 0x80) {
      mask = static_cast<uint16_t>(mask | (1u << (15 - i)));
      f[kMaskedFirst + i] &= 0x7F;
    }
  }
  f[kMaskAt] = static_cast<uint8_t>((mask >> 9) & 0x7F);
  f[kMaskAt + 1] = static_cast<uint8_t>((mask >> 2) & 0x7F);
  f[kMaskAt + 2] = static_cast<uint8_t>((mask >> 1) & 0x01);
  f[kPointFrameLength - 1] = kFrameEnd;
  f[kPointFrameLength - 3] = FrameChecksum(f);
  return std::vector<uint8_t>(f, f + kPointFrameLength);
}

std::vector<uint8_t> EncodeControlFrame(uint8_t type) {
  std::vector<uint8_t> f = {kFrameStart, type, 0x00, 0x00, 0x00, kFrameEnd};
  f[f.size() - 3] = FrameChecksum(f);
  return f;
}

}  // namespace tavrin
