// SPDX-License-Identifier: GPL-3.0-or-later
// The read modes of the read commands, as the host sends them and the logger echoes them in its
// answers. Odd modes carry points as binary frames, even modes as $GPRMC sentences.
#pragma once

#include <cstdint>

namespace tavrin {

enum ReadMode : uint8_t {
  kReadAllBinary = 1,
  kReadAllNmea = 2,
  kReadNewBinary = 5,
  kReadNewNmea = 6,
  kReadPeriodBinary = 7,
  kReadPeriodNmea = 8,
};

constexpr bool IsReadMode(long long mode) {
  return mode == kReadAllBinary || mode == kReadAllNmea || mode == kReadNewBinary ||
         mode == kReadNewNmea || mode == kReadPeriodBinary || mode == kReadPeriodNmea;
}

}  // namespace tavrin
