// SPDX-License-Identifier: GPL-3.0-or-later
// Puts a GPS block into a JPEG's EXIF without rewriting anything else. Cameras' maker notes hold
// offsets that a library re-serialising the EXIF block would move and break, so the block is
// kept as it is: the new GPS directory (and, when the photo had no GPS entry, a copy of the first
// directory with that entry added) goes into the zero padding some cameras leave at the block's
// end, where nothing uses it, or else after the block's last byte; the header or the one entry
// that leads to it is pointed there. Where the block grows, the places that a trailer after the
// image (AFCP) or Canon's notes give from the start of the file move with what they point at. No
// offset inside the block changes; the old directory becomes unused bytes, and an old GPS directory
// is zeroed (its entries and the values they point to, where no other structure uses those bytes),
// so the old position cannot be read out of it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"

namespace tavrin::photos {

enum class TiffType : uint16_t { Byte = 1, Ascii = 2, Short = 3, Long = 4, Rational = 5 };

// One tag of the GPS directory: numbers for bytes, shorts and longs; numerator and denominator
// pairs for rationals; the text, without its closing NUL, for ASCII.
struct TiffField {
  uint16_t tag = 0;
  TiffType type = TiffType::Byte;
  std::vector<uint32_t> numbers;
  std::string text;
};

// The JPEG with `gps` as its whole GPS block. A photo whose EXIF is not laid out as a JPEG's
// should be, that keeps part of its EXIF outside the EXIF segment, or whose segment would grow
// past 64 KB is refused with the reason; the caller names the file.
Result<std::vector<uint8_t>> WithGpsBlock(std::span<const uint8_t> jpeg,
                                          const std::vector<TiffField>& gps);

// A trailer after the image (AFCP) that finds its parts by their place in the file: where it
// starts and where each part is. None where the file ends in no trailer that reads so.
struct AfcpTrailer {
  struct Part {
    size_t at = 0;
    size_t size = 0;
  };
  size_t start = 0;
  bool littleEndian = false;
  std::vector<Part> parts;
};
std::optional<AfcpTrailer> ReadAfcpTrailer(std::span<const uint8_t> file);

}  // namespace tavrin::photos
