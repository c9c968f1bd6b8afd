// SPDX-License-Identifier: GPL-3.0-or-later
// The logger's binary frames: 0xC0, a type byte, a payload, a checksum byte near the end and
// 0xC9. Point data travels as 7-bit bytes with their high bits gathered in a three-byte mask, so
// 0xC9 never appears inside a frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "store/track_point.h"

namespace tavrin {

constexpr uint8_t kFrameStart = 0xC0;
constexpr uint8_t kFrameEnd = 0xC9;

enum FrameType : uint8_t {
  kFramePoint = 0x41,       // "A": a point with a fix
  kFrameTrackStart = 0x49,  // "I": the first point of a track
  kFrameIgnored = 0x42,     // "B"
  kFrameNextSector = 0xC1,
  kFrameEndOfMessage = 0xC0,
  kFrameTimeOver = 0xC4,
};

constexpr size_t kPointFrameLength = 24;
constexpr size_t kMinFrameLength = 5;

// The checksum byte a frame must carry: the 8-bit sum of bytes 1 to L-5, bit 7 cleared and
// bit 5 set.
uint8_t FrameChecksum(std::span<const uint8_t> frame);
bool FrameChecksumOk(std::span<const uint8_t> frame);

// Decodes a point frame (types A and I) as received: restores the high bits, then builds the
// point as the host stores it. Empty for a frame too short to hold a point.
std::optional<TrackPoint> DecodePointFrame(std::span<const uint8_t> frame);

// A point frame that DecodePointFrame turns back into `point` (fix kinds 1-3 travel as "A" and
// come back as 3).
std::vector<uint8_t> EncodePointFrame(const TrackPoint& point);

// A control frame (next sector, end of message, time over) with a valid checksum.
std::vector<uint8_t> EncodeControlFrame(uint8_t type);

}  // namespace tavrin
